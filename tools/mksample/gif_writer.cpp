#include "gif_writer.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstdint>
#include <vector>

namespace {

using Palette = std::array<QRgb, 256>;

// 6x6x6 colour cube followed by 40 extra greys: no per-picture palette, so the
// output depends only on the pixels.
const Palette &palette() {
    static const Palette pal = [] {
        Palette p{};
        int n = 0;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    p[n++] = qRgb(r * 51, g * 51, b * 51);
        for (int i = 0; n < 256; ++i) {
            const int v = (i + 1) * 255 / 41;
            p[n++] = qRgb(v, v, v);
        }
        return p;
    }();
    return pal;
}

int colourDistance(int r, int g, int b, QRgb c) {
    const int dr = r - qRed(c);
    const int dg = g - qGreen(c);
    const int db = b - qBlue(c);
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

// Nearest grey entry (cube greys included) for every level 0..255.
const std::array<std::uint8_t, 256> &nearestGrey() {
    static const std::array<std::uint8_t, 256> table = [] {
        std::array<std::uint8_t, 256> t{};
        const Palette &pal = palette();
        for (int v = 0; v < 256; ++v) {
            int best = 0;
            int bestDist = 1 << 30;
            for (int k = 0; k < 256; ++k) {
                if (qRed(pal[k]) != qGreen(pal[k]) || qGreen(pal[k]) != qBlue(pal[k]))
                    continue;
                const int d = std::abs(v - qRed(pal[k]));
                if (d < bestDist) {
                    bestDist = d;
                    best = k;
                }
            }
            t[v] = static_cast<std::uint8_t>(best);
        }
        return t;
    }();
    return table;
}

// The closer of the nearest cube colour and the nearest grey.
std::uint8_t nearestIndex(int r, int g, int b) {
    const Palette &pal = palette();
    const int cube = ((r + 25) / 51) * 36 + ((g + 25) / 51) * 6 + (b + 25) / 51;
    const int grey = nearestGrey()[(r + g + b) / 3];
    return static_cast<std::uint8_t>(colourDistance(r, g, b, pal[grey]) <
                                             colourDistance(r, g, b, pal[cube])
                                         ? grey
                                         : cube);
}

std::vector<std::uint8_t> quantize(const QImage &src) {
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    const QImage img = src.convertToFormat(QImage::Format_RGB32);
    std::vector<std::uint8_t> out(static_cast<size_t>(img.width()) * img.height());
    size_t i = 0;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            // An offset of up to just under half a cube step spreads gradients into a
            // fine pattern instead of broad bands, and leaves palette colours alone.
            const int off = (2 * bayer[y & 3][x & 3] - 15) * 3 / 2;
            out[i++] = nearestIndex(qBound(0, qRed(line[x]) + off, 255),
                                    qBound(0, qGreen(line[x]) + off, 255),
                                    qBound(0, qBlue(line[x]) + off, 255));
        }
    }
    return out;
}

// Packs variable-width codes LSB first and cuts them into 255-byte sub-blocks.
class CodeWriter {
  public:
    explicit CodeWriter(QByteArray &out) : out_(out) {}

    void put(int code, int bits) {
        acc_ |= static_cast<std::uint32_t>(code) << nbits_;
        nbits_ += bits;
        while (nbits_ >= 8) {
            byte(static_cast<std::uint8_t>(acc_ & 0xFF));
            acc_ >>= 8;
            nbits_ -= 8;
        }
    }

    void finish() {
        if (nbits_ > 0)
            byte(static_cast<std::uint8_t>(acc_ & 0xFF));
        flushBlock();
        out_.append('\0');
    }

  private:
    void byte(std::uint8_t b) {
        block_.append(static_cast<char>(b));
        if (block_.size() == 255)
            flushBlock();
    }
    void flushBlock() {
        if (block_.isEmpty())
            return;
        out_.append(static_cast<char>(block_.size()));
        out_.append(block_);
        block_.clear();
    }

    QByteArray &out_;
    QByteArray block_;
    std::uint32_t acc_ = 0;
    int nbits_ = 0;
};

// Open-addressing map from (prefix code, next index) to dictionary code.
class Dictionary {
  public:
    Dictionary() : keys_(kSize), codes_(kSize) { clear(); }

    void clear() { std::fill(keys_.begin(), keys_.end(), kEmpty); }

    int find(std::uint32_t key) const {
        for (std::uint32_t h = hash(key);; h = (h + 1) & (kSize - 1)) {
            if (keys_[h] == kEmpty)
                return -1;
            if (keys_[h] == key)
                return codes_[h];
        }
    }

    void insert(std::uint32_t key, int code) {
        std::uint32_t h = hash(key);
        while (keys_[h] != kEmpty)
            h = (h + 1) & (kSize - 1);
        keys_[h] = key;
        codes_[h] = static_cast<std::uint16_t>(code);
    }

  private:
    static constexpr std::uint32_t kSize = 8192;
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    static std::uint32_t hash(std::uint32_t key) { return (key * 2654435761u) >> 19; }

    std::vector<std::uint32_t> keys_;
    std::vector<std::uint16_t> codes_;
};

void lzwEncode(const std::vector<std::uint8_t> &pixels, QByteArray &out) {
    constexpr int kMinCodeSize = 8;
    constexpr int kClear = 1 << kMinCodeSize;
    constexpr int kEnd = kClear + 1;
    constexpr int kMaxCode = 4096;

    out.append(static_cast<char>(kMinCodeSize));
    CodeWriter writer(out);
    Dictionary dict;
    int codeSize = kMinCodeSize + 1;
    int nextCode = kEnd + 1;

    writer.put(kClear, codeSize);
    int prefix = pixels.empty() ? 0 : pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const int c = pixels[i];
        const std::uint32_t key = (static_cast<std::uint32_t>(prefix) << 8) | c;
        const int found = dict.find(key);
        if (found >= 0) {
            prefix = found;
            continue;
        }
        writer.put(prefix, codeSize);
        if (nextCode < kMaxCode) {
            dict.insert(key, nextCode++);
            // The decoder adds its entries one code later, so widen only once
            // the code just added no longer fits.
            if (nextCode > (1 << codeSize) && codeSize < 12)
                ++codeSize;
        } else {
            writer.put(kClear, codeSize);
            dict.clear();
            codeSize = kMinCodeSize + 1;
            nextCode = kEnd + 1;
        }
        prefix = c;
    }
    writer.put(prefix, codeSize);
    // The decoder still adds one entry after the last code; follow it so the
    // end code is written at the width it will be read with.
    if (nextCode < kMaxCode && ++nextCode > (1 << codeSize) && codeSize < 12)
        ++codeSize;
    writer.put(kEnd, codeSize);
    writer.finish();
}

void putWord(QByteArray &out, int v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}

} // namespace

bool writeGif(const QString &path, const QImage &img) {
    if (img.isNull() || img.width() > 65535 || img.height() > 65535)
        return false;

    QByteArray out("GIF89a");
    putWord(out, img.width());
    putWord(out, img.height());
    out.append(static_cast<char>(0xF7)); // global table, 8-bit colour, 256 entries
    out.append('\0');                    // background colour index
    out.append('\0');                    // square pixels
    for (QRgb c : palette()) {
        out.append(static_cast<char>(qRed(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qBlue(c)));
    }

    out.append(',');
    putWord(out, 0);
    putWord(out, 0);
    putWord(out, img.width());
    putWord(out, img.height());
    out.append('\0'); // no local table, not interlaced

    lzwEncode(quantize(img), out);
    out.append(';');

    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(out) == out.size();
}
