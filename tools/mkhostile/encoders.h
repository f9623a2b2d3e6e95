#pragma once
// Picture bytes, made by hand where headers must say what a real encoder never would.

#include <QByteArray>
#include <QImage>

namespace hostile {

// A 24-bit Windows bitmap of width x |height| in a colour gradient; a negative height stores the
// rows top-down, as the format allows.
QByteArray Bmp(int width, int height);

// Only the two headers of a 24-bit bitmap, declaring any size, followed by dataBytes of pixels.
QByteArray BmpHeader(qint32 width, qint32 height, quint16 bitsPerPixel, quint32 compression,
                     quint32 coloursUsed, int dataBytes);

// A GIF (through giflib) whose logical screen is screenWidth x screenHeight, holding frames
// images of frameWidth x frameHeight, each in a colour of its own.
QByteArray Gif(int screenWidth, int screenHeight, int frameWidth, int frameHeight, int frames);

// A one-frame GIF of an image of at most 256 colours, each kept exactly; empty for more.
QByteArray GifOf(const QImage &image);

// A small baseline JPEG (through Qt's encoder) with its frame header saying width x height.
QByteArray JpegDeclaring(int width, int height);

// A valid JPEG of the given size.
QByteArray Jpeg(int width, int height);

// A valid PNG of the given size.
QByteArray Png(int width, int height);

// The bytes with every stride-th byte from offset on changed, the same way on every run.
QByteArray Corrupt(QByteArray bytes, int offset, int stride);

} // namespace hostile
