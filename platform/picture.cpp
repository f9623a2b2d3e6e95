#include "platform/picture.h"

#include "platform/files.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

#include <cmath>

namespace platform {

namespace {

constexpr qint64 WholeFileReadLimit = 64 * 1024 * 1024;

bool isAcceptedFormat(const QByteArray &format)
{
    return format == "jpeg" || format == "gif" || format == "bmp";
}

bool rotatesQuarter(QImageIOHandler::Transformations t)
{
    return t.testFlag(QImageIOHandler::TransformationRotate90);
}

// The size to ask a JPEG decoder for: the smallest of the DCT's fast scales (1/8, 1/4, 1/2) that
// still covers the box, or the stored size when only a full decode covers it.
QSize jpegDecodeSize(QSize stored, QSize cover)
{
    if (cover.isEmpty())
        return stored;
    for (int denominator : {8, 4, 2}) {
        const QSize scaled((stored.width() + denominator - 1) / denominator,
                           (stored.height() + denominator - 1) / denominator);
        if (scaled.width() >= cover.width() && scaled.height() >= cover.height())
            return scaled;
    }
    return stored;
}

std::optional<Picture> decode(QImageReader &reader, const CoverFor &coverFor)
{
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (!isAcceptedFormat(format))
        return std::nullopt;

    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty())
        return std::nullopt;
    if (static_cast<qint64>(stored.width()) * stored.height() > PictureBudgetPixels)
        return std::nullopt;
    reader.setAllocationLimit(static_cast<int>(PictureBudgetPixels * 4 / (1024 * 1024)) + 1);

    const auto transformation = format == "jpeg" ? reader.transformation()
                                                 : QImageIOHandler::TransformationNone;
    reader.setAutoTransform(format == "jpeg");
    const bool quarter = rotatesQuarter(transformation);
    const QSize natural = quarter ? stored.transposed() : stored;

    if (format == "jpeg" && coverFor) {
        // The scaled size applies before the rotation, so it is asked for in stored orientation.
        const QSize cover = coverFor(natural);
        const QSize wanted = jpegDecodeSize(stored, quarter ? cover.transposed() : cover);
        if (wanted != stored)
            reader.setScaledSize(wanted);
    }

    QImage image;
    if (!reader.read(&image) || image.isNull())
        return std::nullopt;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    return Picture{image, natural, {}};
}

} // namespace

std::optional<Picture> LoadPictureFile(const QString &nativePath, QSize cover)
{
    return LoadPictureFile(nativePath, [cover](QSize) { return cover; });
}

std::optional<Picture> LoadPictureFile(const QString &nativePath, const CoverFor &coverFor)
{
    QFile file(nativePath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<Picture> picture;
    // A file of ordinary size is read in one go: the decoders' many small reads cost more than
    // holding the compressed bytes for a moment.
    if (QFileInfo(file).isFile() && file.size() <= WholeFileReadLimit) {
        QByteArray bytes = file.readAll();
        file.close();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        picture = decode(reader, coverFor);
    } else {
        QImageReader reader(&file);
        picture = decode(reader, coverFor);
    }
    if (picture)
        picture->source = nativePath;
    return picture;
}

std::optional<Picture> LoadPicture(const QString &path, QSize cover)
{
    if (path.isEmpty())
        return std::nullopt;
    return LoadPictureFile(NativePath(path), cover);
}

bool SavePictureAsBitmap(const QString &sourceNativePath, const QString &targetPath)
{
    if (sourceNativePath.isEmpty())
        return false;
    QImageReader reader(sourceNativePath);
    const auto picture = decode(reader, {});
    if (!picture)
        return false;

    QSaveFile file(NativePath(targetPath));
    // A folder that refuses new files may still hold a writable file of that name.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImage image = picture->image;
    if (image.hasAlphaChannel())
        image = image.convertToFormat(QImage::Format_RGB32);
    QImageWriter writer(&file, "bmp");
    if (!writer.write(image)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace platform
