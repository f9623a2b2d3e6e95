#pragma once
// The wording of the two wallpaper questions, word for word as each window asks it.

#include <QString>

inline const char *const MainWallpaperTitle = "Change Desktop Wallpaper";
inline const char *const ViewerWallpaperTitle = "Change desktop wallpaper";

// The main window names the picture by its title as it stands.
QString MainWallpaperQuestion(const QString &imageTitle);
// The viewer's title may start with folders; the question names only what follows the last "\".
QString ViewerWallpaperQuestion(const QString &imageTitle);
// The text after the last "\" (the whole text when there is none), letter case unchanged.
QString TextAfterLastBackslash(const QString &text);
