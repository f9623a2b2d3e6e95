#pragma once
// The program's own Open With chooser, for desktops without a portal: the installed applications
// whose desktop entries accept the picture's kind, and the chosen one started with the file.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class QWidget;

namespace platform {

struct DesktopApplication {
    QString id;   // the desktop file's id, e.g. "org.gnome.eog.desktop"
    QString file; // the desktop file on disk
    QString name;
    QString icon;
    QString exec; // the Exec value, unescaped, not yet split
    QString path; // the working folder, when the entry names one
    QStringList mimeTypes;
};

// The applications found in the folders given (earlier folders win for the same id) that accept
// one of the MIME types given, sorted by name. Hidden entries, entries not to be displayed,
// terminal programs and programs that are not installed are left out.
std::vector<DesktopApplication> ApplicationsFor(const QStringList &mimeTypes,
                                                const QStringList &applicationFolders);

// The MIME type of the file with the types it also counts as (aliases and parents).
QStringList AcceptedMimeTypes(const QString &nativePath);

// The program and its arguments to open the file with an application, from its Exec value: the
// file in place of the field codes, or last when there is none. Nothing when the value is broken.
std::optional<QStringList> ExecArguments(const DesktopApplication &application,
                                         const QString &nativePath);

// Shows the chooser without waiting for it; the chosen application is started detached. The
// chooser belongs to the owner given and hands it the keyboard back when it closes.
void ShowApplicationChooser(const QString &nativePath, QWidget *owner = nullptr);

} // namespace platform
