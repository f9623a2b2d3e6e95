#pragma once
// Picture files: reading JPEG, GIF and BMP (by content, never by name) and writing bitmaps.
// Pictures are decoded no larger than the caller needs; the natural size is reported always.

#include <QImage>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>

namespace platform {

// The most pixels a picture may have to be decoded at all: 150 megapixels, 600 MB at 4 bytes a
// pixel. That lets a 100-megapixel photo through at its natural size and refuses the absurd
// sizes a broken or hostile file declares, before anything is allocated.
inline constexpr qint64 PictureBudgetPixels = 150'000'000;

struct Picture {
    QImage image;   // the decoded pixels, possibly smaller than the natural size
    QSize natural;  // the picture's own size in pixels, upright
    QString source; // the on-disk file it came from, read again for a full-size save
    bool isNull() const { return image.isNull(); }
};

// Reads a picture named by a program path. With a non-empty box (device pixels) the picture
// will be shown fitted into that box, so the decoder may scale it down, never below the size it
// takes there. A JPEG whose EXIF orientation says it is turned comes back upright. Nothing when
// the file is missing, is not a regular file, is not a JPEG, GIF or BMP, is broken or declares
// a size beyond the budget.
std::optional<Picture> LoadPicture(const QString &path, QSize box = {});

// The same for an on-disk path, for callers that already resolved it.
std::optional<Picture> LoadPictureFile(const QString &nativePath, QSize box = {});

// The same with the cover size chosen once the file has told the picture's natural size.
using CoverFor = std::function<QSize(QSize natural)>;
std::optional<Picture> LoadPictureFile(const QString &nativePath, const CoverFor &coverFor);

// Loads the decoders and the libraries behind them ahead of the first picture; on any thread.
void LoadDecoders();

// Writes the picture read from sourceNativePath, at its natural size, as a Windows bitmap to
// targetPath (a program path, its letter case exactly as written). The target is replaced whole
// or not at all.
bool SavePictureAsBitmap(const QString &sourceNativePath, const QString &targetPath);
// Its two halves: the picture read whole from the CD, on a worker; and the bitmap written on the
// thread that asked, so that nothing is written for a window gone in between.
std::optional<QImage> ReadPictureWhole(const QString &sourceNativePath);
bool WriteBitmap(QImage image, const QString &targetPath);

} // namespace platform
