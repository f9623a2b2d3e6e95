#include "quantizer.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Colours are counted in 5-bit-per-channel bins; 32768 bins keep every step cheap.
constexpr int kBins = 32 * 32 * 32;

int binOf(int r, int g, int b) {
    return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
}

int channel(int bin, int c) {
    return (bin >> (10 - 5 * c)) & 31;
}

struct Histogram {
    std::vector<std::uint32_t> count = std::vector<std::uint32_t>(kBins);
    std::vector<std::uint64_t> sum[3] = {std::vector<std::uint64_t>(kBins),
                                         std::vector<std::uint64_t>(kBins),
                                         std::vector<std::uint64_t>(kBins)};
};

struct Box {
    size_t begin, end; // range in the list of used bins
    std::uint64_t pixels;
    int widestChannel;
    int width;
};

Box makeBox(const std::vector<int> &bins, const Histogram &h, size_t begin, size_t end) {
    Box box{begin, end, 0, 0, 0};
    int lo[3] = {31, 31, 31};
    int hi[3] = {0, 0, 0};
    for (size_t i = begin; i < end; ++i) {
        box.pixels += h.count[bins[i]];
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], channel(bins[i], c));
            hi[c] = std::max(hi[c], channel(bins[i], c));
        }
    }
    for (int c = 0; c < 3; ++c) {
        if (hi[c] - lo[c] > box.width) {
            box.width = hi[c] - lo[c];
            box.widestChannel = c;
        }
    }
    return box;
}

// Splits boxes until there are 256 or every box holds a single bin. The box to
// split is the one with most pixels times widest extent, so large smooth areas
// such as skies get many close shades.
std::vector<Box> medianCut(std::vector<int> &bins, const Histogram &h) {
    std::vector<Box> boxes{makeBox(bins, h, 0, bins.size())};
    while (boxes.size() < 256) {
        size_t pick = boxes.size();
        std::uint64_t best = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            const std::uint64_t score =
                boxes[i].pixels * static_cast<std::uint64_t>(boxes[i].width);
            if (boxes[i].end - boxes[i].begin > 1 && score >= best) {
                best = score;
                pick = i;
            }
        }
        if (pick == boxes.size())
            break;
        const Box box = boxes[pick];
        const int c = box.widestChannel;
        // The bin number breaks ties, so the order (and the output) never depends
        // on the sort algorithm.
        std::sort(bins.begin() + box.begin, bins.begin() + box.end, [c](int a, int b) {
            const int ca = channel(a, c);
            const int cb = channel(b, c);
            return ca != cb ? ca < cb : a < b;
        });
        std::uint64_t seen = 0;
        size_t split = box.begin + 1;
        for (size_t i = box.begin; i < box.end - 1; ++i) {
            seen += h.count[bins[i]];
            split = i + 1;
            if (seen * 2 >= box.pixels)
                break;
        }
        boxes[pick] = makeBox(bins, h, box.begin, split);
        boxes.push_back(makeBox(bins, h, split, box.end));
    }
    return boxes;
}

} // namespace

IndexedImage quantize(const QImage &src) {
    const QImage img = src.convertToFormat(QImage::Format_RGB32);
    Histogram h;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int bin = binOf(qRed(line[x]), qGreen(line[x]), qBlue(line[x]));
            ++h.count[bin];
            h.sum[0][bin] += qRed(line[x]);
            h.sum[1][bin] += qGreen(line[x]);
            h.sum[2][bin] += qBlue(line[x]);
        }
    }
    std::vector<int> bins;
    for (int i = 0; i < kBins; ++i)
        if (h.count[i] > 0)
            bins.push_back(i);

    IndexedImage out;
    const std::vector<Box> boxes = medianCut(bins, h);
    for (size_t k = 0; k < boxes.size(); ++k) {
        std::uint64_t s[3] = {0, 0, 0};
        for (size_t i = boxes[k].begin; i < boxes[k].end; ++i)
            for (int c = 0; c < 3; ++c)
                s[c] += h.sum[c][bins[i]];
        const std::uint64_t n = std::max<std::uint64_t>(boxes[k].pixels, 1);
        out.palette[k] =
            qRgb(int((s[0] + n / 2) / n), int((s[1] + n / 2) / n), int((s[2] + n / 2) / n));
    }

    // Nearest palette entry per bin, found when a bin is first met.
    std::vector<std::int16_t> nearest(kBins, -1);
    auto lookup = [&](int r, int g, int b) {
        const int bin = binOf(r, g, b);
        if (nearest[bin] < 0) {
            const int cr = (r & ~7) + 4, cg = (g & ~7) + 4, cb = (b & ~7) + 4;
            int best = 0;
            int bestDist = 1 << 30;
            for (size_t k = 0; k < boxes.size(); ++k) {
                const int dr = cr - qRed(out.palette[k]);
                const int dg = cg - qGreen(out.palette[k]);
                const int db = cb - qBlue(out.palette[k]);
                const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                if (d < bestDist) {
                    bestDist = d;
                    best = static_cast<int>(k);
                }
            }
            nearest[bin] = static_cast<std::int16_t>(best);
        }
        return static_cast<std::uint8_t>(nearest[bin]);
    };

    // A light ordered dither (up to one bin step) hides the edges between
    // neighbouring shades in gradients.
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    out.indices.resize(static_cast<size_t>(img.width()) * img.height());
    size_t i = 0;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int off = (2 * bayer[y & 3][x & 3] - 15) / 2;
            out.indices[i++] = lookup(std::clamp(qRed(line[x]) + off, 0, 255),
                                      std::clamp(qGreen(line[x]) + off, 0, 255),
                                      std::clamp(qBlue(line[x]) + off, 0, 255));
        }
    }
    return out;
}
