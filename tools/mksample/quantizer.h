#pragma once

#include <QImage>
#include <QRgb>

#include <array>
#include <cstdint>
#include <vector>

// An image reduced to at most 256 colours: a palette made for this image by
// median cut, and one palette index per pixel (rows top to bottom).
struct IndexedImage {
    std::array<QRgb, 256> palette{};
    std::vector<std::uint8_t> indices;
};

IndexedImage quantize(const QImage &img);
