#pragma once
// Sizes and cheap reductions for pictures that are shown smaller than they are.

#include <QImage>
#include <QSize>

namespace platform {

// The size a picture takes when fitted into box keeping its proportions, never enlarged; the
// picture's own size when box is empty.
QSize FittedSize(QSize picture, QSize box);

// Averages blocks of whole pixels, by the largest factor that keeps the result at least
// `needed` in both directions; the image itself when that factor is 1. Blocks at the right and
// bottom edges may be partial, so no pixel is dropped.
QImage ReducedToCover(const QImage &image, QSize needed);

} // namespace platform
