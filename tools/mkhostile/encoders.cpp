#include "encoders.h"

#include "gif_writer.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

namespace hostile {

namespace {

void le16(QByteArray &out, quint32 v) {
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

void le32(QByteArray &out, quint32 v) {
    le16(out, v & 0xffff);
    le16(out, v >> 16);
}

QImage gradient(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y,
                qRgb(x * 255 / qMax(1, width - 1), y * 255 / qMax(1, height - 1), (x + y) % 256));
    return image;
}

QByteArray encode(const QImage &image, const char *format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(80);
    writer.write(image);
    return bytes;
}

} // namespace

QByteArray BmpHeader(qint32 width, qint32 height, quint16 bitsPerPixel, quint32 compression,
                     quint32 coloursUsed, int dataBytes) {
    QByteArray out("BM");
    le32(out, quint32(14 + 40 + dataBytes));
    le32(out, 0);
    le32(out, 14 + 40); // pixels right after the headers
    le32(out, 40);
    le32(out, quint32(width));
    le32(out, quint32(height));
    le16(out, 1);
    le16(out, bitsPerPixel);
    le32(out, compression);
    le32(out, quint32(dataBytes));
    le32(out, 2835); // 72 dpi
    le32(out, 2835);
    le32(out, coloursUsed);
    le32(out, 0);
    out.append(QByteArray(dataBytes, char(0x5a)));
    return out;
}

QByteArray Bmp(int width, int height) {
    const int rows = height < 0 ? -height : height;
    const int stride = (width * 3 + 3) & ~3;
    QByteArray out = BmpHeader(width, height, 24, 0, 0, 0);
    out.reserve(out.size() + stride * rows);
    const QImage image = gradient(width, rows);
    for (int r = 0; r < rows; ++r) {
        // Bottom-up unless the height says otherwise.
        const int y = height < 0 ? r : rows - 1 - r;
        QByteArray row(stride, 0);
        for (int x = 0; x < width; ++x) {
            const QRgb p = image.pixel(x, y);
            row[x * 3] = char(qBlue(p));
            row[x * 3 + 1] = char(qGreen(p));
            row[x * 3 + 2] = char(qRed(p));
        }
        out.append(row);
    }
    // The sizes the header states include the pixels.
    const quint32 total = quint32(out.size());
    for (int i = 0; i < 4; ++i)
        out[2 + i] = char((total >> (8 * i)) & 0xff);
    const quint32 data = quint32(stride * rows);
    for (int i = 0; i < 4; ++i)
        out[34 + i] = char((data >> (8 * i)) & 0xff);
    return out;
}

QByteArray Gif(int screenWidth, int screenHeight, int frameWidth, int frameHeight, int frames) {
    std::vector<GifFrame> all;
    const QRect rect(0, 0, frameWidth, frameHeight);
    for (int f = 0; f < frames; ++f)
        all.push_back({rect, std::vector<std::uint8_t>(size_t(rect.width()) * rect.height(),
                                                       std::uint8_t(f % 4))});
    return EncodeGif({screenWidth, screenHeight},
                     {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)}, all);
}

QByteArray GifOf(const QImage &image) {
    QList<QRgb> palette;
    GifFrame frame{image.rect(), {}};
    frame.indices.reserve(size_t(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            qsizetype index = palette.indexOf(p);
            if (index < 0 && palette.size() == 256)
                return {};
            if (index < 0)
                palette.append(p), index = palette.size() - 1;
            frame.indices.push_back(std::uint8_t(index));
        }
    // giflib takes only tables of a power of two, from 2.
    while (palette.size() < 2 || (palette.size() & (palette.size() - 1)))
        palette.append(qRgb(0, 0, 0));
    return EncodeGif(image.size(), palette, {frame});
}

QByteArray Jpeg(int width, int height) {
    return encode(gradient(width, height), "jpeg");
}

QByteArray Png(int width, int height) {
    return encode(gradient(width, height), "png");
}

QByteArray JpegDeclaring(int width, int height) {
    QByteArray bytes = Jpeg(16, 16);
    // The baseline frame header: FF C0, length, precision, height, width.
    const qsizetype sof = bytes.indexOf(QByteArray::fromHex("ffc0"));
    if (sof < 0 || sof + 9 > bytes.size())
        return {};
    bytes[sof + 5] = char((height >> 8) & 0xff);
    bytes[sof + 6] = char(height & 0xff);
    bytes[sof + 7] = char((width >> 8) & 0xff);
    bytes[sof + 8] = char(width & 0xff);
    return bytes;
}

QByteArray Corrupt(QByteArray bytes, int offset, int stride) {
    quint32 state = 0x2545f491;
    for (qsizetype i = offset; i < bytes.size(); i += stride) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = char(bytes[i] ^ char((state >> 24) | 1));
    }
    return bytes;
}

} // namespace hostile
