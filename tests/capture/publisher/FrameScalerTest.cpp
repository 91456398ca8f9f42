#include "BgraImage.h"

#include "capture/publisher/FrameRenderer.h"
#include "capture/publisher/FrameScaler.h"
#include "capture/publisher/ResampleTable.h"
#include "capture/publisher/RowKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

using Geometry = FrameScaler::Geometry;

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

// A sw × sh frame placed in a surface as the renderer places it. Small surfaces keep the tests
// quick under the sanitizers; the kernels do not care about the size.
Geometry placed(int sourceWidth, int sourceHeight, int surfaceWidth, int surfaceHeight) {
    const FrameRenderer::Placement p =
        FrameRenderer::fit(sourceWidth, sourceHeight, surfaceWidth, surfaceHeight);
    return {sourceWidth, sourceHeight, p.x, p.y, p.width, p.height, surfaceWidth, surfaceHeight};
}

BgraImage render(const RowKernels& kernels, const Geometry& geometry, const BgraImage& source) {
    BgraImage surface(geometry.surfaceWidth, geometry.surfaceHeight, 0x00ABCDEFu);
    FrameScaler scaler(kernels);
    scaler.render(geometry, source.view(), surface.bytes(), surface.bytesPerRow);
    return surface;
}

}  // namespace

TEST(ResampleTable, WeightsSumToOneAndTapsStayInsideTheSource) {
    const int lengths[][2] = {{1512, 1663}, {982, 1080}, {1000, 1080}, {2560, 1920},
                              {1, 1080},    {7, 3},      {3, 2}};
    for (const auto& [sourceLength, outputLength] : lengths) {
        const ResampleTable table(sourceLength, outputLength);
        ASSERT_EQ(table.outputLength(), outputLength);
        int previous = 0;
        for (int i = 0; i < outputLength; ++i) {
            const ResampleTable::Entry& e = table[i];
            EXPECT_EQ(e.weights[0] + e.weights[1], ResampleTable::kWeightOne);
            EXPECT_GE(e.weights[0], 0);
            EXPECT_GE(e.weights[1], 0);
            EXPECT_GE(e.first, previous) << "taps move forward";
            EXPECT_LT(e.first, sourceLength);
            previous = e.first;
        }
    }
}

TEST(FrameScaler, EveryKernelSetDrawsTheSameBytesAsThePortableOne) {
    const Geometry geometries[] = {
        placed(756, 491, 480, 270),   // halved, then enlarged a little (as 3024 × 1964 is)
        placed(250, 250, 480, 270),   // enlarged
        placed(640, 270, 480, 270),   // shrunk without halving
        placed(481, 271, 480, 270),   // odd sizes, a one-pixel bar
        placed(1251, 751, 480, 270),  // halved with an odd last row and column
        placed(7, 3, 480, 270),
    };
    std::mt19937 random(7);
    for (const Geometry& g : geometries) {
        BgraImage source(g.sourceWidth, g.sourceHeight);
        std::generate(source.pixels.begin(), source.pixels.end(), [&] { return random(); });
        const BgraImage expected = render(RowKernels::portable(), g, source);
        for (const RowKernels* kernels : RowKernels::available()) {
            const BgraImage actual = render(*kernels, g, source);
            EXPECT_TRUE(actual.pixels == expected.pixels)
                << kernels->name << " differs for " << g.sourceWidth << "x" << g.sourceHeight;
        }
    }
}

TEST(FrameScaler, OnePixelLineKeepsItsWeightWhereverItFalls) {
    // A white one-pixel column on black at every phase against the output grid: linear sampling
    // at this scale would let it fade to a tenth of its brightness between two samples.
    const Geometry g = placed(1512, 982, 960, 540);
    FrameScaler scaler;
    BgraImage surface(g.surfaceWidth, g.surfaceHeight);
    for (int column = 750; column < 770; ++column) {
        BgraImage source(g.sourceWidth, g.sourceHeight, kBlack);
        for (int y = 0; y < source.height; ++y) {
            source.at(column, y) = kWhite;
        }
        scaler.render(g, source.view(), surface.bytes(), surface.bytesPerRow);
        std::uint32_t brightest = 0;
        for (int x = 0; x < surface.width; ++x) {
            brightest = std::max(brightest, (surface.at(x, 270) >> 8) & 0xFF);
        }
        EXPECT_GE(brightest, 60u) << "column " << column;
    }
}

TEST(FrameScaler, RefusesGeometriesItCannotDraw) {
    EXPECT_TRUE(FrameScaler::supports(placed(7680, 4320, 1920, 1080)));
    EXPECT_FALSE(FrameScaler::supports(placed(7684, 4320, 1920, 1080)));  // beyond fourfold
    EXPECT_FALSE(FrameScaler::supports({100, 100, 1900, 0, 100, 100, 1920, 1080}));  // outside
    EXPECT_FALSE(FrameScaler::supports({0, 100, 0, 0, 100, 100, 1920, 1080}));
}
