#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// One frame of the daemon's own: 'BGRA', 1920 × 1080 unless made otherwise.
struct CameraBuffer {
    std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    int bytesPerRow = 0;
    std::uint32_t pixelFormat = 0;
};

// A fixed set of frame buffers allocated once; a frame holds one while it is filled and sent and
// gives it back when its handle goes. Thread-safe.
class CameraBufferPool {
public:
    CameraBufferPool(int width, int height, std::uint32_t pixelFormat, int bufferCount);
    ~CameraBufferPool();
    CameraBufferPool(const CameraBufferPool&) = delete;
    CameraBufferPool& operator=(const CameraBufferPool&) = delete;

    // Nothing when every buffer is in use.
    std::shared_ptr<CameraBuffer> acquire();

private:
    struct State;
    std::shared_ptr<State> m_state;  // shared with the handles: a late handle outlives the pool
};
