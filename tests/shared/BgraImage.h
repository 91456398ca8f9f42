#pragma once

#include "capture/PixelBuffer.h"

#include <cstdint>
#include <vector>

// A 'BGRA' picture in ordinary memory, one 32-bit word a pixel (0xAARRGGBB on little-endian
// machines), rows `bytesPerRow` apart (padded when asked).
struct BgraImage {
    BgraImage(int w, int h, std::uint32_t value = 0, int stride = 0)
        : width(w)
        , height(h)
        , bytesPerRow(stride > 0 ? stride : w * 4)
        , pixels(std::size_t(bytesPerRow / 4) * std::size_t(h), value) {}

    std::uint32_t& at(int x, int y) { return pixels[std::size_t(y) * (bytesPerRow / 4) + x]; }
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * (bytesPerRow / 4) + x]; }
    std::uint8_t* bytes() { return reinterpret_cast<std::uint8_t*>(pixels.data()); }
    PixelBuffer view() const {
        return {reinterpret_cast<const std::uint8_t*>(pixels.data()), width, height, bytesPerRow};
    }

    int width, height, bytesPerRow;
    std::vector<std::uint32_t> pixels;
};
