#pragma once
// What both windows' wallpaper commands do once the user said OK.

#include <QString>

// Writes the picture read from sourceNativePath, at its natural size, as a bitmap to the
// wallpaper file and makes the desktop show it. The desktop is only pointed at a file that was
// written just now; when either step fails a message says the wallpaper could not be set. Returns
// at once: the picture is read and written on a worker.
void CreateWallpaper(const QString &sourceNativePath);
