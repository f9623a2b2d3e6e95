#include "gif_writer.h"

#include "quantizer.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

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
    const IndexedImage indexed = quantize(img);
    for (QRgb c : indexed.palette) {
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

    lzwEncode(indexed.indices, out);
    out.append(';');

    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(out) == out.size();
}
