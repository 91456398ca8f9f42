#pragma once

#include "camera_extension/v4l2/VideoNode.h"
#include "fakev4l2/FakeNode.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// A 1920 × 1080 test picture of eight colour bars, in one order in the top half and reversed in
// the bottom half, and checks of a frame of it converted to BT.601 limited-range YUYV or I420.
namespace ColourBars {

inline constexpr int kWidth = 1920;
inline constexpr int kHeight = 1080;
inline constexpr int kBars = 8;
inline constexpr int kBarWidth = kWidth / kBars;

struct Yuv {
    int y, u, v;
};

// R, G, B at (x, y).
inline std::array<int, 3> colourAt(int x, int y) {
    static const std::array<int, 3> kColours[kBars] = {
        {255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
        {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {16, 32, 64}};
    const int bar = x / kBarWidth;
    return kColours[y < kHeight / 2 ? bar : kBars - 1 - bar];
}

// B, G, R, A bytes, rows of kWidth * 4.
inline std::vector<std::uint8_t> bgraFrame() {
    std::vector<std::uint8_t> pixels(std::size_t(kWidth) * kHeight * 4, 255);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const auto [r, g, b] = colourAt(x, y);
            std::uint8_t* pixel = &pixels[(std::size_t(y) * kWidth + std::size_t(x)) * 4];
            pixel[0] = std::uint8_t(b);
            pixel[1] = std::uint8_t(g);
            pixel[2] = std::uint8_t(r);
        }
    }
    return pixels;
}

// The textbook BT.601 studio-range equations.
inline Yuv expectedYuv(int x, int y) {
    const auto [r, g, b] = colourAt(x, y);
    return {int(std::lround(16.0 + (65.481 * r + 128.553 * g + 24.966 * b) / 255.0)),
            int(std::lround(128.0 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255.0)),
            int(std::lround(128.0 + (112.0 * r - 93.786 * g - 18.214 * b) / 255.0))};
}

inline bool isYuyv(const FakeNode::Frame& frame) {
    return frame.pixelFormat == VideoNode::kPixelFormatYUYV;
}

inline Yuv sample(const FakeNode::Frame& frame, int x, int y) {
    const std::size_t line = std::size_t(frame.bytesPerLine);
    if (isYuyv(frame)) {
        const std::uint8_t* row = &frame.bytes[std::size_t(y) * line];
        const int pair = (x / 2) * 4;
        return {row[x * 2], row[pair + 1], row[pair + 3]};
    }
    const std::size_t lumaBytes = line * std::size_t(frame.height);
    const std::size_t chroma = std::size_t(y / 2) * (line / 2) + std::size_t(x / 2);
    const std::size_t vPlane = lumaBytes + (line / 2) * std::size_t(frame.height / 2);
    return {frame.bytes[std::size_t(y) * line + std::size_t(x)], frame.bytes[lumaBytes + chroma],
            frame.bytes[vPlane + chroma]};
}

// "" when `frame` is a whole 1920x1080 frame holding `want(x, y)` within `tolerance` at the centre
// and both edges of every bar, in both halves; else the first mismatch.
template <typename Want>
std::string mismatch(const FakeNode::Frame& frame, int tolerance, Want want) {
    const std::size_t line = std::size_t(frame.bytesPerLine);
    const std::size_t height = std::size_t(frame.height);
    const std::size_t needed =
        isYuyv(frame) ? line * height : line * height + 2 * (line / 2) * (height / 2);
    if (frame.width != kWidth || frame.height != kHeight || frame.bytes.size() < needed) {
        return "not a whole 1920x1080 frame";
    }
    const auto text = [](Yuv c) {
        return std::to_string(c.y) + "/" + std::to_string(c.u) + "/" + std::to_string(c.v);
    };
    for (int y : {0, kHeight / 4, kHeight / 2 - 1, kHeight / 2, kHeight * 3 / 4, kHeight - 1}) {
        for (int left = 0; left < kWidth; left += kBarWidth) {
            for (int x : {left, left + kBarWidth / 2, left + kBarWidth - 1}) {
                const Yuv got = sample(frame, x, y);
                const Yuv expected = want(x, y);
                if (std::abs(got.y - expected.y) > tolerance ||
                    std::abs(got.u - expected.u) > tolerance ||
                    std::abs(got.v - expected.v) > tolerance) {
                    return "at " + std::to_string(x) + "," + std::to_string(y) + ": Y/U/V " +
                           text(got) + ", expected " + text(expected);
                }
            }
        }
    }
    return "";
}

inline std::string mismatchWithBars(const FakeNode::Frame& frame) {
    return mismatch(frame, 2, expectedYuv);
}

// Black is Y 16, U and V 128.
inline std::string mismatchWithBlack(const FakeNode::Frame& frame) {
    return mismatch(frame, 1, [](int, int) { return Yuv{16, 128, 128}; });
}

}  // namespace ColourBars
