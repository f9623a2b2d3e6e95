#include "platform/imaging/picture_scale.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {

namespace {
constexpr int LanePixels = 0xffff / 0xff; // 257 channel values fill a 16-bit lane
} // namespace

QSize FittedSize(QSize picture, QSize box) {
    if (box.isEmpty() || picture.isEmpty())
        return picture;
    const double fit = std::min({1.0, static_cast<double>(box.width()) / picture.width(),
                                 static_cast<double>(box.height()) / picture.height()});
    // The epsilon keeps an exact fit (120 of 6000 at 0.02) from rounding up to 121.
    return QSize(std::max(1, static_cast<int>(std::ceil(picture.width() * fit - 1e-6))),
                 std::max(1, static_cast<int>(std::ceil(picture.height() * fit - 1e-6))));
}

QImage ReducedToCover(const QImage &image, QSize needed) {
    if (image.isNull() || needed.isEmpty())
        return image;
    const int factor = std::min(image.width() / needed.width(), image.height() / needed.height());
    if (factor < 2)
        return image;

    // Averaging colours of see-through pixels needs them premultiplied.
    const bool alpha = image.hasAlphaChannel();
    const QImage source =
        image.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const int width = source.width(), height = source.height();
    const int outWidth = (width + factor - 1) / factor;
    const int outHeight = (height + factor - 1) / factor;
    QImage out(outWidth, outHeight, source.format());
    if (out.isNull())
        return image;

    std::vector<quint32> sums(static_cast<size_t>(outWidth) * 4);
    for (int oy = 0; oy < outHeight; ++oy) {
        std::fill(sums.begin(), sums.end(), 0u);
        const int y0 = oy * factor, y1 = std::min(height, y0 + factor);
        for (int y = y0; y < y1; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(source.constScanLine(y));
            quint32 *sum = sums.data();
            for (int x0 = 0; x0 < width; x0 += factor, sum += 4) {
                const int x1 = std::min(width, x0 + factor);
                // Two channels at a time in 16-bit lanes, emptied every 257 pixels, before
                // 255 x 258 would overflow them.
                for (int run = x0; run < x1; run += LanePixels) {
                    quint32 blueRed = 0, greenAlpha = 0;
                    for (int x = run, end = std::min(x1, run + LanePixels); x < end; ++x) {
                        const QRgb p = line[x];
                        blueRed += p & 0x00ff00ff;
                        greenAlpha += (p >> 8) & 0x00ff00ff;
                    }
                    sum[0] += blueRed & 0xffff;
                    sum[1] += greenAlpha & 0xffff;
                    sum[2] += blueRed >> 16;
                    sum[3] += greenAlpha >> 16;
                }
            }
        }
        auto *outLine = reinterpret_cast<QRgb *>(out.scanLine(oy));
        const quint32 rows = static_cast<quint32>(y1 - y0);
        for (int ox = 0; ox < outWidth; ++ox) {
            const quint32 columns =
                static_cast<quint32>(std::min(width, (ox + 1) * factor) - ox * factor);
            const quint32 count = rows * columns;
            const quint32 *sum = &sums[static_cast<size_t>(ox) * 4];
            auto average = [count](quint32 s) { return (s + count / 2) / count; };
            outLine[ox] = average(sum[0]) | (average(sum[1]) << 8) | (average(sum[2]) << 16) |
                          (average(sum[3]) << 24);
        }
    }
    return alpha ? out.convertToFormat(QImage::Format_ARGB32) : out;
}

} // namespace platform
