#include "wav_writer.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

constexpr int kRate = 22050;
constexpr int kSamples = kRate * 8 / 10;

void putLe(QByteArray &out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

struct Tone {
    double freq;  // Hz
    double amp;   // relative loudness
    double decay; // per second
    double start; // seconds
};

// A bell-like pair of notes (E6 then A5) with a few inharmonic overtones each.
constexpr Tone kTones[] = {
    {1318.5, 0.50, 5.0, 0.00}, {2637.0, 0.18, 9.0, 0.00}, {3560.0, 0.07, 14.0, 0.00},
    {880.0, 0.55, 4.0, 0.16},  {1760.0, 0.20, 8.0, 0.16}, {2376.0, 0.08, 12.0, 0.16},
};

} // namespace

bool writeChime(const QString &path) {
    QByteArray pcm;
    pcm.reserve(kSamples * 2);
    for (int i = 0; i < kSamples; ++i) {
        const double t = static_cast<double>(i) / kRate;
        double v = 0.0;
        for (const Tone &p : kTones) {
            const double local = t - p.start;
            if (local < 0.0)
                continue;
            // 4 ms attack so the note starts without a click.
            const double attack = std::min(1.0, local / 0.004);
            v += p.amp * attack * std::exp(-p.decay * local) *
                 std::sin(2.0 * std::numbers::pi * p.freq * local);
        }
        // Fade the last 50 ms so the file ends in silence.
        const double tail = static_cast<double>(kSamples - i) / (kRate * 0.05);
        v *= std::min(1.0, tail) * 0.6;
        const long s = std::lround(std::clamp(v, -1.0, 1.0) * 32767.0);
        putLe(pcm, static_cast<std::uint32_t>(static_cast<std::int16_t>(s)) & 0xFFFF, 2);
    }

    QByteArray out("RIFF");
    putLe(out, 36 + static_cast<std::uint32_t>(pcm.size()), 4);
    out.append("WAVEfmt ");
    putLe(out, 16, 4);        // fmt chunk size
    putLe(out, 1, 2);         // PCM
    putLe(out, 1, 2);         // mono
    putLe(out, kRate, 4);     // sample rate
    putLe(out, kRate * 2, 4); // byte rate
    putLe(out, 2, 2);         // block align
    putLe(out, 16, 2);        // bits per sample
    out.append("data");
    putLe(out, static_cast<std::uint32_t>(pcm.size()), 4);
    out.append(pcm);

    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(out) == out.size();
}
