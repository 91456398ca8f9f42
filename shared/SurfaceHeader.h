#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// The first bytes of every shared surface object; the pixels start at `pixelOffset`. Both
// processes map it, so its layout is part of the hand-off contract: fixed-size fields only and
// lock-free atomics, which are address-free across processes.
struct SurfaceHeader {
    static constexpr std::uint32_t kMagic = 0x56535246;  // "VSRF"
    static constexpr std::uint32_t kVersion = 1;
    // Pixels start on a page of their own so that row copies are aligned.
    static constexpr std::size_t kPixelOffset = 4096;

    std::uint32_t magic;
    std::uint32_t version;
    std::uint32_t surfaceId;
    std::uint32_t pixelFormat;
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t bytesPerRow;
    std::uint32_t ownerPid;
    std::uint64_t pixelOffset;
    std::uint64_t pixelBytes;
    // Set by the owner before it unlinks the object, so a reader that kept its mapping sees the
    // surface die on its very next frame.
    std::atomic<std::uint32_t> released;
    // Odd while the owner draws into the pixels (a sequence lock): a reader compares the value
    // before and after its copy to tell a torn frame. The owner never waits for readers.
    std::atomic<std::uint32_t> sequence;
};

static_assert(std::atomic<std::uint32_t>::is_always_lock_free);
static_assert(sizeof(SurfaceHeader) <= SurfaceHeader::kPixelOffset);
