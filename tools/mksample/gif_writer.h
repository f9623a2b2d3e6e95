#pragma once
// GIFs through giflib: Qt reads GIF but has no writer.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <cstdint>
#include <vector>

struct GifFrame {
    QRect rect;                        // where the frame lies on the screen
    std::vector<std::uint8_t> indices; // one palette index per pixel, rows top to bottom
    int delay = 0;                     // in hundredths of a second
};

// A GIF of the given logical screen and global palette (a power of two from 2 to 256 colours),
// each frame after a graphics control extension. Empty when giflib refuses the input.
QByteArray EncodeGif(QSize screen, const QList<QRgb> &palette, const std::vector<GifFrame> &frames);

// Writes img as a one-frame GIF of at most 256 colours chosen for the picture (median cut).
bool writeGif(const QString &path, const QImage &img);
