#include "capture/FrameRenderer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

using Placement = FrameRenderer::Placement;

struct Image {
    Image(int w, int h, int stride, std::uint32_t value)
        : width(w)
        , height(h)
        , bytesPerRow(stride)
        , pixels(std::size_t(stride) * h / 4, value) {}
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * bytesPerRow / 4 + x]; }
    PixelBuffer view() const {
        return {reinterpret_cast<const std::uint8_t*>(pixels.data()), width, height, bytesPerRow};
    }
    std::uint8_t* bytes() { return reinterpret_cast<std::uint8_t*>(pixels.data()); }

    int width, height, bytesPerRow;
    std::vector<std::uint32_t> pixels;
};

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kRed = 0xFFFF0000u;  // B=0 G=0 R=255 A=255 in memory

// Scaled pixels are compared with a small tolerance per colour channel. Alpha must be opaque.
bool nearly(std::uint32_t actual, std::uint32_t expected) {
    if ((actual >> 24) != 0xFF) {
        return false;
    }
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = int((actual >> shift) & 0xFF);
        const int e = int((expected >> shift) & 0xFF);
        if (std::abs(a - e) > 2) {
            return false;
        }
    }
    return true;
}

}  // namespace

TEST(FrameRenderer, PlacesEachSourceScaledToFitAndCentred) {
    struct Case {
        int width, height;
        Placement expected;
    };
    const Case cases[] = {
        {1920, 1080, {0, 0, 1920, 1080}},    // unscaled
        {1000, 1000, {420, 0, 1080, 1080}},  // s = 1.08, 420-pixel bars
        {3024, 1964, {128, 0, 1663, 1080}},  // s = 0.5499, ~128-pixel bars
        {3840, 2160, {0, 0, 1920, 1080}},    // same aspect: no bars
        {1920, 1200, {96, 0, 1728, 1080}},   // 16:10 pillar-boxed
        {2560, 1080, {0, 135, 1920, 810}},   // ultra-wide letter-boxed
        {1, 1, {420, 0, 1080, 1080}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FrameRenderer::fit(c.width, c.height, 1920, 1080), c.expected)
            << c.width << "x" << c.height;
    }
    EXPECT_EQ(FrameRenderer::fit(0, 10, 1920, 1080), Placement{});
}

TEST(FrameRenderer, CopiesAFrameOfTheSurfaceSizeUnscaledIntoPaddedRows) {
    Image source(1920, 1080, 1920 * 4, 0);
    for (std::size_t i = 0; i < source.pixels.size(); ++i) {
        source.pixels[i] = static_cast<std::uint32_t>(i * 2654435761u);
    }
    Image surface(1920, 1080, 1920 * 4 + 256, 0x12345678u);
    FrameRenderer renderer;
    renderer.render(source.view(), surface.bytes(), surface.bytesPerRow, 1920, 1080);
    EXPECT_EQ(surface.at(0, 0), source.at(0, 0));
    EXPECT_EQ(surface.at(1919, 1079), source.at(1919, 1079));
    EXPECT_EQ(surface.at(777, 333), source.at(777, 333));
    // The row padding is not part of the picture and stays untouched.
    EXPECT_EQ(surface.pixels[1920], 0x12345678u);
}

TEST(FrameRenderer, ScaledFrameSitsBetweenOpaqueBlackBars) {
    Image source(1000, 1000, 1000 * 4, kRed);
    Image surface(1920, 1080, 1920 * 4, 0x00ABCDEFu);  // stale content from an earlier frame
    FrameRenderer renderer;
    renderer.render(source.view(), surface.bytes(), surface.bytesPerRow, 1920, 1080);
    EXPECT_EQ(surface.at(0, 0), kBlack);
    EXPECT_EQ(surface.at(419, 1079), kBlack);
    EXPECT_TRUE(nearly(surface.at(420, 0), kRed)) << std::hex << surface.at(420, 0);
    EXPECT_TRUE(nearly(surface.at(960, 540), kRed)) << std::hex << surface.at(960, 540);
    EXPECT_TRUE(nearly(surface.at(1499, 1079), kRed)) << std::hex << surface.at(1499, 1079);
    EXPECT_EQ(surface.at(1500, 540), kBlack);
    EXPECT_EQ(surface.at(1919, 1079), kBlack);

    Image wide(2560, 1080, 2560 * 4, kRed);
    renderer.render(wide.view(), surface.bytes(), surface.bytesPerRow, 1920, 1080);
    EXPECT_EQ(surface.at(960, 134), kBlack);
    EXPECT_TRUE(nearly(surface.at(960, 135), kRed)) << std::hex << surface.at(960, 135);
    EXPECT_TRUE(nearly(surface.at(960, 944), kRed)) << std::hex << surface.at(960, 944);
    EXPECT_EQ(surface.at(960, 945), kBlack);
    EXPECT_TRUE(nearly(surface.at(0, 540), kRed)) << std::hex << surface.at(0, 540);
}

TEST(FrameRenderer, InvalidSourceLeavesTheSurfaceAlone) {
    Image surface(16, 16, 64, 0x01020304u);
    FrameRenderer renderer;
    renderer.render(PixelBuffer{}, surface.bytes(), 64, 16, 16);
    const std::uint8_t bytes[4] = {};
    renderer.render(PixelBuffer{bytes, 4, 4, 8}, surface.bytes(), 64, 16, 16);  // short rows
    EXPECT_EQ(surface.at(5, 5), 0x01020304u);
}

TEST(FrameRenderer, ShrinkBeyondFourfoldStillHasOpaqueBlackBarsAndPicture) {
    Image source(8000, 1000, 8000 * 4, kRed);
    Image surface(1920, 1080, 1920 * 4, 0x00ABCDEFu);
    FrameRenderer renderer;
    renderer.render(source.view(), surface.bytes(), surface.bytesPerRow, 1920, 1080);
    EXPECT_EQ(FrameRenderer::fit(8000, 1000, 1920, 1080), (Placement{0, 420, 1920, 240}));
    EXPECT_EQ(surface.at(960, 419), kBlack);
    EXPECT_EQ(surface.at(0, 660), kBlack);
    EXPECT_TRUE(nearly(surface.at(960, 420), kRed)) << std::hex << surface.at(960, 420);
    EXPECT_TRUE(nearly(surface.at(1919, 659), kRed)) << std::hex << surface.at(1919, 659);
}
