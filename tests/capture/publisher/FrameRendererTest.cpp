#include "BgraImage.h"

#include "capture/publisher/FrameRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

using Placement = FrameRenderer::Placement;

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kColour = 0xFF10E080u;  // B=0x80 G=0xE0 R=0x10, opaque

bool opaqueAndNear(std::uint32_t actual, std::uint32_t expected, int tolerance) {
    if ((actual >> 24) != 0xFF) {
        return false;
    }
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = int((actual >> shift) & 0xFF);
        if (std::abs(a - int((expected >> shift) & 0xFF)) > tolerance) {
            return false;
        }
    }
    return true;
}

}  // namespace

// Every pixel of the surface is checked: a flat picture in its place, opaque black around it,
// nothing left of the frame the surface held before.
TEST(FrameRenderer, DrawsEachSourceScaledToFitAndCentredOverOpaqueBlack) {
    struct Case {
        int width, height;
        Placement expected;
        int tolerance;  // per colour channel
    };
    const Case cases[] = {
        {1000, 1000, {420, 0, 1080, 1080}, 0},  // s = 1.08, 420-pixel bars
        {3024, 1964, {128, 0, 1663, 1080}, 0},  // s = 0.5499, halved first, ~128-pixel bars
        {1920, 1200, {96, 0, 1728, 1080}, 0},   // 16:10 pillar-boxed, shrunk without halving
        {2560, 1080, {0, 135, 1920, 810}, 0},   // ultra-wide letter-boxed
        {1, 1, {420, 0, 1080, 1080}, 0},
        {8000, 1000, {0, 420, 1920, 240}, 2},  // beyond a fourfold shrink: libyuv's filter
    };
    FrameRenderer renderer;
    BgraImage surface(1920, 1080);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        EXPECT_EQ(FrameRenderer::fit(c.width, c.height, 1920, 1080), c.expected);
        std::fill(surface.pixels.begin(), surface.pixels.end(), 0x00ABCDEFu);
        renderer.render(BgraImage(c.width, c.height, kColour).view(), surface.bytes(),
                        surface.bytesPerRow, 1920, 1080);
        const Placement& p = c.expected;
        int wrong = 0;
        for (int y = 0; y < 1080 && wrong < 5; ++y) {
            for (int x = 0; x < 1920 && wrong < 5; ++x) {
                const bool inside = x >= p.x && x < p.x + p.width && y >= p.y && y < p.y + p.height;
                const std::uint32_t pixel = surface.at(x, y);
                if (inside ? !opaqueAndNear(pixel, kColour, c.tolerance) : pixel != kBlack) {
                    ADD_FAILURE() << std::hex << pixel << " at " << std::dec << x << "," << y;
                    ++wrong;
                }
            }
        }
    }
    EXPECT_EQ(FrameRenderer::fit(0, 10, 1920, 1080), Placement{});
}

TEST(FrameRenderer, CopiesAFrameOfTheSurfaceSizeUnscaledIntoPaddedRows) {
    BgraImage source(1920, 1080);
    for (std::size_t i = 0; i < source.pixels.size(); ++i) {
        source.pixels[i] = static_cast<std::uint32_t>(i * 2654435761u);
    }
    BgraImage surface(1920, 1080, 0x12345678u, 1920 * 4 + 256);
    FrameRenderer renderer;
    renderer.render(source.view(), surface.bytes(), surface.bytesPerRow, 1920, 1080);
    for (const auto& [x, y] : {std::pair{0, 0}, {1919, 1079}, {777, 333}}) {
        EXPECT_EQ(surface.at(x, y), source.at(x, y)) << x << "," << y;
    }
    EXPECT_EQ(surface.pixels[1920], 0x12345678u) << "the row padding is not part of the picture";
}

TEST(FrameRenderer, InvalidSourceLeavesTheSurfaceAlone) {
    BgraImage surface(16, 16, 0x01020304u);
    FrameRenderer renderer;
    renderer.render(PixelBuffer{}, surface.bytes(), 64, 16, 16);
    const std::uint8_t bytes[4] = {};
    renderer.render(PixelBuffer{bytes, 4, 4, 8}, surface.bytes(), 64, 16, 16);  // short rows
    EXPECT_EQ(surface.at(5, 5), 0x01020304u);
}
