#pragma once
// Picture files built byte by byte: JPEGs with an EXIF orientation.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>

#include "encoders.h"

inline QByteArray Encode(const QImage &image, const char *format, int quality = 90) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
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
    // Intel order, first IFD at 8 with one entry: Orientation, SHORT, count 1; no next IFD.
    const QByteArray payload = QByteArray::fromHex("4578696600004949"
                                                   "2a00080000000100"
                                                   "1201030001000000") +
                               char(orientation) + QByteArray(7, '\0');
    return jpeg.left(2) + "\xff\xe1" + char(0) + char(payload.size() + 2) + payload + jpeg.mid(2);
}
