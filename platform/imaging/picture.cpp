#include "platform/imaging/picture.h"

#include "platform/files/files.h"
#include "platform/files/names.h"
#include "platform/imaging/discread.h"
#include "platform/imaging/picture_scale.h"

#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QScopeGuard>

#include <algorithm>
#include <cstdlib>

namespace platform {

namespace {

bool isAcceptedFormat(const QByteArray &format) {
    return format == "jpeg" || format == "gif" || format == "bmp";
}

bool withinBudget(QSize size) {
    return size.width() > 0 && size.height() > 0 &&
           static_cast<qint64>(size.width()) * size.height() <= PictureBudgetPixels;
}

// Qt's own limit is process-wide; it backs up the budget check for anything a header hides.
void setAllocationLimit() {
    static const bool done = [] {
        QImageReader::setAllocationLimit(static_cast<int>(PictureBudgetPixels * 4 / (1024 * 1024)) +
                                         1);
        return true;
    }();
    Q_UNUSED(done);
}

quint16 le16(const QByteArray &bytes, int at) {
    return static_cast<quint16>(static_cast<uchar>(bytes[at]) |
                                (static_cast<uchar>(bytes[at + 1]) << 8));
}

// The area Qt's GIF decoder allocates for the first frame: the logical screen, or the frame's
// own extent where that reaches further. The reader's size() reports less than that for a
// small frame on a large screen, so the header is read here.
std::optional<QSize> gifCanvas(QIODevice &device) {
    const qint64 start = device.pos();
    const auto restore = qScopeGuard([&device, start] { device.seek(start); });
    const QByteArray head = device.read(13);
    if (head.size() < 13)
        return std::nullopt;
    const int screenWidth = le16(head, 6);
    const int screenHeight = le16(head, 8);
    const auto flags = static_cast<uchar>(head[10]);
    auto skip = [&device](qint64 n) { return device.seek(device.pos() + n); };
    if ((flags & 0x80) && !skip(3 * (2 << (flags & 7))))
        return std::nullopt;
    for (;;) {
        char introducer = 0;
        if (!device.getChar(&introducer))
            return std::nullopt;
        if (introducer == ',') {
            const QByteArray frame = device.read(8);
            if (frame.size() < 8)
                return std::nullopt;
            return QSize(std::max(screenWidth, le16(frame, 0) + le16(frame, 4)),
                         std::max(screenHeight, le16(frame, 2) + le16(frame, 6)));
        }
        if (introducer != '!')
            return QSize(screenWidth, screenHeight); // no frame follows: nothing is allocated
        char label = 0, length = 0;
        if (!device.getChar(&label))
            return std::nullopt;
        while (device.getChar(&length) && length != 0)
            if (!skip(static_cast<uchar>(length)))
                return std::nullopt;
        if (length != 0)
            return std::nullopt;
    }
}

// The size to ask the JPEG decoder for: the smallest of the DCT's own scales (1/8, 1/4, 1/2)
// that is still no smaller than needed. Rounded down: Qt derives the DCT scale from the ratio,
// and a size rounded up would push it to the next larger scale.
QSize jpegDecodeSize(QSize stored, QSize needed) {
    for (int denominator : {8, 4, 2}) {
        const QSize scaled(stored.width() / denominator, stored.height() / denominator);
        if (scaled.width() >= needed.width() && scaled.height() >= needed.height())
            return scaled;
    }
    return stored;
}

std::optional<Picture> decode(QIODevice &file, const QString &nativePath, const CoverFor &boxFor) {
    setAllocationLimit();
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (!isAcceptedFormat(format))
        return std::nullopt;

    QSize declared;
    if (format == "gif") {
        declared = gifCanvas(file).value_or(QSize());
    } else {
        // A top-down bitmap reports a negative height.
        const QSize stored = reader.size();
        declared = QSize(std::abs(stored.width()), std::abs(stored.height()));
    }
    if (!withinBudget(declared))
        return std::nullopt;

    QSize natural;
    if (format == "jpeg") {
        // The reader's size is the stored one; the scaled size applies before the rotation.
        const bool quarter =
            reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
        reader.setAutoTransform(true);
        natural = quarter ? declared.transposed() : declared;
        const QSize needed = FittedSize(natural, boxFor(natural));
        const QSize wanted = jpegDecodeSize(declared, quarter ? needed.transposed() : needed);
        if (wanted != declared)
            reader.setScaledSize(wanted);
    }

    QImage image;
    if (!reader.read(&image) || image.isNull())
        return std::nullopt;
    if (!natural.isValid())
        natural = image.size();
    // What the decoder could not scale is brought down here, once, rather than at every paint.
    image = ReducedToCover(image, FittedSize(natural, boxFor(natural)));
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    // Absolute: the save reads the file again later, whatever the current folder is then.
    return Picture{image, natural, AbsoluteNativePath(nativePath)};
}

std::optional<Picture> decodeFile(const QString &nativePath, const CoverFor &boxFor) {
    std::optional<Picture> picture;
    if (nativePath.isEmpty() || !ReadAsItArrives(nativePath, [&](QIODevice &file) {
            return (picture = decode(file, nativePath, boxFor)).has_value();
        }))
        return std::nullopt;
    return picture;
}

CoverFor fixedBox(QSize box) {
    return [box](QSize) { return box; };
}

} // namespace

std::optional<Picture> LoadPictureFile(const QString &nativePath, QSize box) {
    return decodeFile(nativePath, fixedBox(box));
}

std::optional<Picture> LoadPictureFile(const QString &nativePath, const CoverFor &coverFor) {
    return decodeFile(nativePath, coverFor ? coverFor : fixedBox({}));
}

std::optional<Picture> LoadPicture(const QString &path, QSize box) {
    if (path.isEmpty())
        return std::nullopt;
    return decodeFile(NativePath(path), fixedBox(box));
}

void LoadDecoders() {
    // Listing what can be read loads every decoder plugin.
    QImageReader::supportedImageFormats();
}

std::optional<QImage> ReadPictureWhole(const QString &sourceNativePath) {
    auto picture = decodeFile(sourceNativePath, fixedBox({}));
    if (!picture)
        return std::nullopt;
    return std::move(picture->image);
}

bool WriteBitmap(QImage image, const QString &targetPath) {
    if (image.isNull())
        return false;
    if (image.hasAlphaChannel())
        image.convertTo(QImage::Format_RGB32);

    // The exact name: a file whose name differs only in letter case is another file. And always
    // a new file renamed into place, so an old one is never left half overwritten; a folder that
    // refuses new files refuses the save.
    QSaveFile file(ExactPath(targetPath));
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "bmp");
    if (!writer.write(image)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool SavePictureAsBitmap(const QString &sourceNativePath, const QString &targetPath) {
    const std::optional<QImage> image = ReadPictureWhole(sourceNativePath);
    return image && WriteBitmap(*image, targetPath);
}

} // namespace platform
