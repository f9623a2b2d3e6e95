#pragma once
// Picture files built byte by byte: JPEGs with an EXIF orientation, and headers that declare
// sizes their files don't hold.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDataStream>
#include <QImage>
#include <QPainter>

#include "encoders.h"

// Fields in little-endian order, as BMP, GIF and Intel TIFF store them.
template <typename... Fields> QByteArray Le(Fields... fields) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    (out << ... << fields);
    return bytes;
}

inline QByteArray Encode(const QImage &image, const char *format, int quality = 90) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

// Left half red, right half blue: shows which way a picture was turned.
inline QImage HalvesImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, width / 2, height, Qt::red);
    return image;
}

// A JPEG with an EXIF APP1 segment right after SOI that holds only the orientation tag.
inline QByteArray WithExifOrientation(const QByteArray &jpeg, int orientation) {
    // First IFD at 8 with one entry: Orientation, SHORT, count 1; no next IFD.
    const QByteArray payload = QByteArray("Exif\0\0II*\0", 10) +
                               Le(quint32(8), quint16(1), quint16(0x0112), quint16(3), quint32(1),
                                  quint16(orientation), quint16(0), quint32(0));
    const int length = int(payload.size()) + 2;
    return jpeg.left(2) + "\xff\xe1" + char(length >> 8) + char(length & 0xff) + payload +
           jpeg.mid(2);
}

// A 24-bit bitmap header with no pixels after it (negative height: stored top-down).
inline QByteArray BmpHeader(int width, int height) {
    return hostile::BmpHeader(width, height, 24, 0, 0, 0);
}

// A GIF with the given logical screen and one frame placed on it, after a comment; the frame's
// data is a few pixels only.
inline QByteArray GifDeclaring(int screenWidth, int screenHeight, int frameLeft, int frameTop,
                               int frameWidth, int frameHeight) {
    return "GIF89a" + Le(quint16(screenWidth), quint16(screenHeight)) +
           QByteArray::fromHex("800000000000ffffff21fe0361626300") + ',' +
           Le(quint16(frameLeft), quint16(frameTop), quint16(frameWidth), quint16(frameHeight)) +
           QByteArray::fromHex("000202440100") + ';';
}
