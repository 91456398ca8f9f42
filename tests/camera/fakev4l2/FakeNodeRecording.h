#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// What the fake v4l2loopback node keeps of the frames written to it, in the file "<node>.frame":
// this header at offset 0 and the last frame's bytes at kFrameOffset. `sequence` is odd while a
// frame is being stored, so a reader can tell a torn copy. Every write is also logged as one
// line "<CLOCK_MONOTONIC ns> <bytes asked> <bytes taken or -errno>" in "<node>.writes".
struct FakeNodeRecording {
    static constexpr std::size_t kFrameOffset = 4096;
    static constexpr std::size_t kFrameCapacity = std::size_t(1920) * 1080 * 4;
    static constexpr std::size_t kFileSize = kFrameOffset + kFrameCapacity;

    std::atomic<std::uint64_t> sequence;
    std::uint32_t pixelFormat;
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t bytesPerLine;
    std::uint64_t frameBytes;
    std::uint64_t frameRateNumerator;
    std::uint64_t frameRateDenominator;
};
static_assert(sizeof(FakeNodeRecording) <= FakeNodeRecording::kFrameOffset);
