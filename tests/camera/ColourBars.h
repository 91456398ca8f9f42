#pragma once

#include "camera_extension/v4l2/VideoNode.h"
#include "fakev4l2/FakeNode.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// A 1920 × 1080 test picture of eight colour bars, in one order in the top half and reversed in
// the bottom half, and what a frame of it must hold once converted to BT.601 limited-range YUYV
// or I420.
namespace ColourBars {

inline constexpr int kWidth = 1920;
inline constexpr int kHeight = 1080;
inline constexpr int kBars = 8;

struct Rgb {
    int r, g, b;
};
struct Yuv {
    int y, u, v;
};

inline Rgb colourAt(int x, int y) {
    static const Rgb kColours[kBars] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255},
                                        {0, 255, 0},     {255, 0, 255}, {255, 0, 0},
                                        {0, 0, 255},     {16, 32, 64}};
    const int bar = x / (kWidth / kBars);
    return kColours[y < kHeight / 2 ? bar : kBars - 1 - bar];
}

// B, G, R, A bytes, rows of kWidth * 4.
inline std::vector<std::uint8_t> bgraFrame() {
    std::vector<std::uint8_t> pixels(std::size_t(kWidth) * kHeight * 4);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const Rgb colour = colourAt(x, y);
            std::uint8_t* pixel = &pixels[(std::size_t(y) * kWidth + std::size_t(x)) * 4];
            pixel[0] = std::uint8_t(colour.b);
            pixel[1] = std::uint8_t(colour.g);
            pixel[2] = std::uint8_t(colour.r);
            pixel[3] = 255;
        }
    }
    return pixels;
}

// The textbook BT.601 studio-range equations.
inline Yuv expectedYuv(Rgb c) {
    const double y = 16.0 + (65.481 * c.r + 128.553 * c.g + 24.966 * c.b) / 255.0;
    const double u = 128.0 + (-37.797 * c.r - 74.203 * c.g + 112.0 * c.b) / 255.0;
    const double v = 128.0 + (112.0 * c.r - 93.786 * c.g - 18.214 * c.b) / 255.0;
    return {int(std::lround(y)), int(std::lround(u)), int(std::lround(v))};
}

inline Yuv sample(const FakeNode::Frame& frame, int x, int y) {
    const std::size_t line = std::size_t(frame.bytesPerLine);
    if (frame.pixelFormat == videoFourcc('Y', 'U', 'Y', 'V')) {
        const std::uint8_t* row = &frame.bytes[std::size_t(y) * line];
        const int pair = (x / 2) * 4;
        return {row[x * 2], row[pair + 1], row[pair + 3]};
    }
    const std::size_t lumaBytes = line * std::size_t(frame.height);
    const std::size_t chromaLine = line / 2;
    const std::size_t chroma = std::size_t(y / 2) * chromaLine + std::size_t(x / 2);
    const std::size_t vPlane = lumaBytes + chromaLine * std::size_t(frame.height / 2);
    return {frame.bytes[std::size_t(y) * line + std::size_t(x)], frame.bytes[lumaBytes + chroma],
            frame.bytes[vPlane + chroma]};
}

inline std::string describe(const char* what, int x, int y, Yuv got, Yuv want) {
    return std::string(what) + " at " + std::to_string(x) + "," + std::to_string(y) + ": Y/U/V " +
           std::to_string(got.y) + "/" + std::to_string(got.u) + "/" + std::to_string(got.v) +
           ", expected " + std::to_string(want.y) + "/" + std::to_string(want.u) + "/" +
           std::to_string(want.v);
}

inline bool near(Yuv got, Yuv want, int tolerance) {
    return std::abs(got.y - want.y) <= tolerance && std::abs(got.u - want.u) <= tolerance &&
           std::abs(got.v - want.v) <= tolerance;
}

inline bool isCompleteFrame(const FakeNode::Frame& frame) {
    const std::size_t line = std::size_t(frame.bytesPerLine);
    const std::size_t rows = std::size_t(frame.height);
    const bool yuyv = frame.pixelFormat == videoFourcc('Y', 'U', 'Y', 'V');
    const std::size_t needed = yuyv ? line * rows : line * rows + 2 * (line / 2) * (rows / 2);
    return frame.width == kWidth && frame.height == kHeight && frame.bytes.size() >= needed;
}

// "" when the centre and both edges of every bar hold the bars' colours within rounding, else
// the first mismatch.
inline std::string mismatchWithBars(const FakeNode::Frame& frame) {
    if (!isCompleteFrame(frame)) {
        return "not a whole 1920x1080 frame";
    }
    const int barWidth = kWidth / kBars;
    for (int row : {0, kHeight / 4, kHeight / 2 - 1, kHeight / 2, kHeight * 3 / 4, kHeight - 1}) {
        for (int bar = 0; bar < kBars; ++bar) {
            for (int x :
                 {bar * barWidth, bar * barWidth + barWidth / 2, bar * barWidth + barWidth - 1}) {
                const Yuv want = expectedYuv(colourAt(x, row));
                const Yuv got = sample(frame, x, row);
                if (!near(got, want, 2)) {
                    return describe("bar", x, row, got, want);
                }
            }
        }
    }
    return "";
}

// "" when the frame is black (Y 16, U and V 128) wherever it is sampled.
inline std::string mismatchWithBlack(const FakeNode::Frame& frame) {
    if (!isCompleteFrame(frame)) {
        return "not a whole 1920x1080 frame";
    }
    for (int row = 0; row < kHeight; row += 97) {
        for (int x = 0; x < kWidth; x += 131) {
            const Yuv got = sample(frame, x, row);
            if (!near(got, {16, 128, 128}, 1)) {
                return describe("black", x, row, got, {16, 128, 128});
            }
        }
    }
    return "";
}

}  // namespace ColourBars
