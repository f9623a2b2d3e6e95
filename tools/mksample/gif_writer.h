#pragma once

#include <QImage>
#include <QString>

// Writes img as a single-frame 256-colour GIF (palette made for the picture,
// LZW compressed). Qt can read GIF but has no writer, hence this one.
bool writeGif(const QString &path, const QImage &img);
