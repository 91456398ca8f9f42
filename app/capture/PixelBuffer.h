#pragma once

#include <cstdint>

// One captured frame: 'BGRA' pixels (bytes B, G, R, A in memory: QImage::Format_ARGB32 /
// libyuv "ARGB" on little-endian machines), rows `bytesPerRow` apart. The buffer is a view: the
// capture backend owns the memory and it is valid only for the duration of the call it is passed
// to, so a frame crosses to the publisher without a copy.
struct PixelBuffer {
    const std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    int bytesPerRow = 0;

    bool isValid() const { return data && width > 0 && height > 0 && bytesPerRow >= width * 4; }
};

// Receives every captured frame, synchronously, on the capture thread. The virtual-camera
// publisher implements it; the screen manager holds one (or none).
class PixelBufferSink {
public:
    virtual ~PixelBufferSink() = default;
    virtual void publish(const PixelBuffer& pixelBuffer) = 0;
};
