#pragma once
// What the program asks of the desktop and the operating system beyond files: message boxes,
// sound, the wallpaper and the Open With chooser. Each service is one entry of a table, so tests
// can put a recording stand-in in its place.

#include <QString>
#include <functional>

namespace platform {

// Message box styles and answers, valued as the runtime values them.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbOKCancel = 1;
inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;

// The title message boxes show when they are given none.
inline const char *const AppTitle = "orvane";

struct Services {
    // Shows a modal message box without icon; returns the button pressed.
    std::function<int(const QString &prompt, int style, const QString &title)> msgBox;
    // Starts playing a wave file (on-disk path) and returns at once; silent on any failure.
    std::function<void(const QString &nativePath)> playSound;
    // Makes the bitmap at nativePath the desktop wallpaper; false when the desktop refused.
    std::function<bool(const QString &nativePath)> setWallpaper;
    // Hands a file to the desktop's Open With chooser and returns at once.
    std::function<void(const QString &nativePath)> openWith;
};

// The table in force; starts with the real services.
Services &services();
// Puts the real services back (tests call this when they are done).
void RestoreRealServices();

int MsgBox(const QString &prompt, int style = vbOKOnly, const QString &title = QString());

// Keeps the multimedia module's warnings (no audio device, a broken file) off the console.
void SilenceMultimediaWarnings();

} // namespace platform
