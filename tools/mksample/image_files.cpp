#include "image_files.h"

#include "gif_writer.h"

#include <QBuffer>
#include <QFile>
#include <QTransform>

namespace {

constexpr int kJpegQuality = 85;

bool writeBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

QByteArray encodeJpeg(const QImage &img) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    if (!img.convertToFormat(QImage::Format_RGB32).save(&buf, "JPG", kJpegQuality))
        return {};
    return bytes;
}

// APP1 segment holding a little-endian TIFF header with a single IFD entry:
// Orientation (0x0112), SHORT, count 1, value `orientation`.
QByteArray exifOrientationSegment(int orientation) {
    const unsigned char tiff[] = {
        'I',
        'I',
        0x2A,
        0x00,
        0x08,
        0x00,
        0x00,
        0x00, // header, IFD at offset 8
        0x01,
        0x00, // one entry
        0x12,
        0x01,
        0x03,
        0x00,
        0x01,
        0x00,
        0x00,
        0x00, // tag, type SHORT, count 1
        static_cast<unsigned char>(orientation),
        0x00,
        0x00,
        0x00, // value, padded
        0x00,
        0x00,
        0x00,
        0x00, // no next IFD
    };
    QByteArray payload("Exif", 4);
    payload.append(2, '\0');
    payload.append(reinterpret_cast<const char *>(tiff), sizeof(tiff));

    const int length = payload.size() + 2; // the length field counts itself
    QByteArray seg;
    seg.append(static_cast<char>(0xFF));
    seg.append(static_cast<char>(0xE1));
    seg.append(static_cast<char>((length >> 8) & 0xFF));
    seg.append(static_cast<char>(length & 0xFF));
    seg.append(payload);
    return seg;
}

} // namespace

bool saveJpeg(const QString &path, const QImage &img) {
    const QByteArray bytes = encodeJpeg(img);
    return !bytes.isEmpty() && writeBytes(path, bytes);
}

bool saveBmp(const QString &path, const QImage &img) {
    // RGB32 without alpha makes Qt write a plain 24-bit BMP.
    return img.convertToFormat(QImage::Format_RGB32).save(path, "BMP");
}

bool savePng(const QString &path, const QImage &img) {
    return img.convertToFormat(QImage::Format_RGB32).save(path, "PNG");
}

bool saveJpegOrientation6(const QString &path, const QImage &upright) {
    const QImage stored = upright.transformed(QTransform().rotate(-90));
    QByteArray bytes = encodeJpeg(stored);
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xD8)
        return false;
    // Straight after SOI, where camera files keep it.
    bytes.insert(2, exifOrientationSegment(6));
    return writeBytes(path, bytes);
}

bool savePicture(const QString &path, const QImage &img) {
    const QString lower = path.toLower();
    if (lower.endsWith(QLatin1String(".gif")))
        return writeGif(path, img);
    if (lower.endsWith(QLatin1String(".bmp")))
        return saveBmp(path, img);
    if (lower.endsWith(QLatin1String(".png")))
        return savePng(path, img);
    return saveJpeg(path, img);
}
