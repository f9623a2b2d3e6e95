#pragma once

#include <QImage>
#include <QSize>

#include <cstdint>

// Abstract and geometric pictures.
QImage paintCircles(QSize size, std::uint64_t seed);
QImage paintSquares(QSize size, std::uint64_t seed);
QImage paintTriangles(QSize size, std::uint64_t seed);
QImage paintRings(QSize size, std::uint64_t seed);
QImage paintStripes(QSize size, std::uint64_t seed);
QImage paintMosaic(QSize size, std::uint64_t seed);
QImage paintBubbles(QSize size, std::uint64_t seed);
QImage paintSpiral(QSize size, std::uint64_t seed);
QImage paintBokeh(QSize size, std::uint64_t seed);
QImage paintColourWheel(QSize size, std::uint64_t seed);
QImage paintWaves(QSize size, std::uint64_t seed);
QImage paintCheckers(QSize size, std::uint64_t seed);
