#pragma once
// The program's own Open With chooser, for desktops without a portal: the applications the
// desktop's registry (GIO) offers for the picture's kind, and the chosen one started with the file.

#include <QString>
#include <vector>

class QWidget;

namespace platform {

struct DesktopApplication {
    QString id; // the desktop file's id, e.g. "org.gnome.eog.desktop"
    QString name;
    QString icon; // a theme icon's name or an icon file's path
    bool isDefault = false;
};

// The user's default application for the MIME type first, then the other recommended ones, then
// the fallback ones (those taking a type it derives from), each group by name in the locale's
// order.
std::vector<DesktopApplication> ApplicationsFor(const QString &mimeType);

// Shows the chooser without waiting for it; the chosen application is started detached. The
// chooser belongs to the owner given and hands it the keyboard back when it closes.
void ShowApplicationChooser(const QString &nativePath, QWidget *owner = nullptr);

} // namespace platform
