#pragma once

#include "capture/PixelBuffer.h"
#include "capture/publisher/FrameScaler.h"

#include <cstdint>

// Draws a captured frame into a surface of the ring: a frame of the surface's exact size is copied
// unscaled; any other size is scaled by s = min(dw / sw, dh / sh), keeping its aspect ratio,
// centred, with opaque black around it. Allocates frame memory only when the geometry changes.
// One frame at a time: the owner serialises calls.
class FrameRenderer {
public:
    struct Placement {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        bool operator==(const Placement&) const = default;
    };

    explicit FrameRenderer(const RowKernels& kernels = RowKernels::best());

    // Where a sw × sh frame lands in a dw × dh surface.
    static Placement fit(int sourceWidth, int sourceHeight, int destinationWidth,
                         int destinationHeight);

    // Renders `source` into the 'BGRA' destination; does nothing for an invalid source.
    void render(const PixelBuffer& source, std::uint8_t* destination, int destinationBytesPerRow,
                int destinationWidth, int destinationHeight);

private:
    FrameScaler m_scaler;
};
