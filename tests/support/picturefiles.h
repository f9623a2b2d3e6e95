#pragma once
// Picture files built byte by byte: JPEGs with an EXIF orientation, and headers that declare
// sizes their files don't hold.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

inline void AppendLe16(QByteArray &bytes, int v) {
    bytes.append(char(v & 0xff));
    bytes.append(char((v >> 8) & 0xff));
}

inline void AppendLe32(QByteArray &bytes, qint64 v) {
    for (int i = 0; i < 4; ++i)
        bytes.append(char((v >> (8 * i)) & 0xff));
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
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width / 2; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    return image;
}

// A JPEG with an EXIF APP1 segment right after SOI that holds only the orientation tag.
inline QByteArray WithExifOrientation(const QByteArray &jpeg, int orientation) {
    QByteArray tiff("II*\0", 4);
    AppendLe32(tiff, 8);      // first IFD
    AppendLe16(tiff, 1);      // one entry
    AppendLe16(tiff, 0x0112); // Orientation
    AppendLe16(tiff, 3);      // SHORT
    AppendLe32(tiff, 1);
    AppendLe16(tiff, orientation);
    AppendLe16(tiff, 0);
    AppendLe32(tiff, 0); // no next IFD
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray segment("\xff\xe1", 2);
    segment.append(char((payload.size() + 2) >> 8));
    segment.append(char((payload.size() + 2) & 0xff));
    return jpeg.left(2) + segment + payload + jpeg.mid(2);
}

// A real JPEG whose frame header claims another size.
inline QByteArray JpegDeclaring(int width, int height) {
    QByteArray jpeg = Encode(HalvesImage(16, 16), "JPG");
    const qsizetype sof = jpeg.indexOf(QByteArray("\xff\xc0", 2));
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xff);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xff);
    return jpeg;
}

// A 24-bit bitmap header with no pixels after it (negative height: stored top-down).
inline QByteArray BmpHeader(int width, int height) {
    const qint64 stride = (qint64(width) * 3 + 3) / 4 * 4;
    const qint64 data = stride * (height < 0 ? -qint64(height) : height);
    QByteArray bmp("BM");
    AppendLe32(bmp, 54 + data);
    AppendLe32(bmp, 0);
    AppendLe32(bmp, 54);
    AppendLe32(bmp, 40);
    AppendLe32(bmp, width);
    AppendLe32(bmp, height);
    AppendLe16(bmp, 1);
    AppendLe16(bmp, 24);
    AppendLe32(bmp, 0);
    AppendLe32(bmp, data);
    AppendLe32(bmp, 2835);
    AppendLe32(bmp, 2835);
    AppendLe32(bmp, 0);
    AppendLe32(bmp, 0);
    return bmp;
}

// A complete small bitmap, top-down, first row red and the rest blue.
inline QByteArray TopDownBmp(int width, int height) {
    QByteArray bmp = BmpHeader(width, -height);
    const int stride = (width * 3 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y) {
        QByteArray row;
        for (int x = 0; x < width; ++x)
            row.append(y == 0 ? QByteArray("\x00\x00\xff", 3) : QByteArray("\xff\x00\x00", 3));
        row.resize(stride, '\0');
        bmp.append(row);
    }
    return bmp;
}

// A GIF with the given logical screen and one frame placed on it; the frame's data is a few
// pixels only.
inline QByteArray GifDeclaring(int screenWidth, int screenHeight, int frameLeft, int frameTop,
                               int frameWidth, int frameHeight) {
    QByteArray gif("GIF89a");
    AppendLe16(gif, screenWidth);
    AppendLe16(gif, screenHeight);
    gif.append(char(0x80));
    gif.append(char(0));
    gif.append(char(0));
    gif.append(QByteArray::fromHex("000000ffffff"));
    gif.append("!\xfe\x03"
               "abc",
               6); // a comment before the frame
    gif.append(char(0));
    gif.append(',');
    AppendLe16(gif, frameLeft);
    AppendLe16(gif, frameTop);
    AppendLe16(gif, frameWidth);
    AppendLe16(gif, frameHeight);
    gif.append(char(0));
    gif.append(char(2));
    gif.append(QByteArray::fromHex("02440100"));
    gif.append(';');
    return gif;
}
