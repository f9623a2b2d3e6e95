#pragma once

#include <QImage>
#include <QSize>

#include <cstdint>

// A cat sitting on a wall against the moon, and a dog on a sunny hill.
QImage paintCat(QSize size, std::uint64_t seed);
QImage paintDog(QSize size, std::uint64_t seed);
