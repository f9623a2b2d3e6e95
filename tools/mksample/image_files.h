#pragma once

#include <QImage>
#include <QString>

// Savers for each file kind the sample folder holds. All return false on failure.
bool saveJpeg(const QString &path, const QImage &img);
bool saveBmp(const QString &path, const QImage &img);
bool savePng(const QString &path, const QImage &img);

// Saves `upright` so that it is stored turned a quarter turn anticlockwise and
// tagged with Exif orientation 6: viewers that honour the tag show it upright.
bool saveJpegOrientation6(const QString &path, const QImage &upright);

// Picks the saver from the file name's extension (case-insensitive).
bool savePicture(const QString &path, const QImage &img);
