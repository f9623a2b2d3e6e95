#pragma once
// Fixtures shared by the tests: a CD folder made on the fly and a clean program state.

#include "app/forms.h"

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

// Picture colours a test tells apart.
inline const QColor Red(200, 30, 30), Green(30, 200, 30), Blue(30, 30, 200);

// A temporary CD folder that is the current directory while the object lives.
class TempCd {
  public:
    TempCd() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~TempCd() { QDir::setCurrent(previous_); }

    QString path(const QString &relative = QString()) const {
        return relative.isEmpty() ? dir_.path() : dir_.filePath(relative);
    }
    void writeFile(const QString &relative, const QByteArray &bytes) const;
    // Writes a picture of the given size as "JPG", "BMP" or "PNG"; gives its path.
    QString writePicture(const QString &relative, int width, int height, const char *format = "JPG",
                         QColor colour = QColor(40, 120, 200)) const;
    void mkdir(const QString &relative) const { QDir(dir_.path()).mkpath(relative); }

  private:
    QTemporaryDir dir_;
    QString previous_;
};

// Unloads every window and puts the shared state and the services back as at program start.
// Message boxes are answered by a recorder instead of a person.
void ResetProgram();

// Lets the reads asked for so far finish and hands their pictures to the windows.
void ShowReads();

// The prompts of the message boxes so far.
QStringList &RecordedMessages();

// The main window's list: the row showing a name (-1: none).
class Form1;
int RowOf(const Form1 &form, const QString &name);
// The catalogue entries 1..ImageCount.
QStringList Catalogue();
// Searches through the main window's Search dialog; false when the dialog was left open.
bool SearchFor(const QString &text);

// Runs a command that opens a modal window; `drive` runs once it is up and must close it. False
// when the window never came up or was left open (it is then unloaded, so no test hangs).
template <class Modal>
bool WhileModal(const std::function<void()> &command, const std::function<void(Modal &)> &drive) {
    bool cameUp = false, leftOpen = false;
    QTimer::singleShot(0, [&] {
        if ((cameUp = IsLoaded<Modal>()))
            drive(Instance<Modal>());
        if ((leftOpen = cameUp && IsLoaded<Modal>()))
            Unload<Modal>();
    });
    command();
    return cameUp && !leftOpen;
}
