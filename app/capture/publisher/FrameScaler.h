#pragma once

#include "capture/PixelBuffer.h"
#include "capture/publisher/ResampleTable.h"
#include "capture/publisher/RowKernels.h"

#include <cstdint>
#include <vector>

// Scales frames of one geometry into a surface, one surface row at a time: the row is made whole
// (black bars, picture, opaque alpha) in a buffer that stays in the cache and is then written out
// once, so nothing passes over the surface a second time.
//
// A frame shrunk by 1.5 or more is first halved by 2 × 2 means, then interpolated linearly to its
// size: every source pixel counts, so a one-pixel stroke of text keeps its weight wherever it
// falls (plain linear sampling at 0.55 lets such a stroke fade to a tenth between two samples).
// A smaller shrink, and any enlargement, is interpolated linearly at once.
//
// The tables and row buffers belong to the geometry: they are made when it changes, never per
// frame. Not thread-safe: one frame at a time (the publisher's ring lock serialises them).
class FrameScaler {
public:
    struct Geometry {
        int sourceWidth = 0;
        int sourceHeight = 0;
        // Where the picture lands in the surface.
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        int surfaceWidth = 0;
        int surfaceHeight = 0;
        bool operator==(const Geometry&) const = default;
    };

    explicit FrameScaler(const RowKernels& kernels = RowKernels::best());

    // True when this scaler can draw the geometry: the picture inside the surface, shrunk at most
    // fourfold on each axis.
    static bool supports(const Geometry& geometry);
    // True when the geometry's frames are halved before they are interpolated.
    static bool halves(const Geometry& geometry);

    // Draws `source` (geometry.sourceWidth × sourceHeight) into the whole surface.
    void render(const Geometry& geometry, const PixelBuffer& source, std::uint8_t* surface,
                int surfaceBytesPerRow);

private:
    void prepare(const Geometry& geometry);
    void prepareColumns(int sourceLength, int outputLength);
    const std::uint8_t* inputRow(const PixelBuffer& source, int index);
    void drawPictureRow(const PixelBuffer& source, int row);
    void filterPrefetchingNextRows(const PixelBuffer& source);

    const RowKernels& m_kernels;
    Geometry m_geometry;
    bool m_halves = false;
    int m_inputWidth = 0;  // of the rows the interpolation reads: halved or not
    int m_inputHeight = 0;
    ResampleTable m_rows;

    std::vector<std::int32_t> m_first;
    std::vector<std::int8_t> m_weights;
    std::vector<std::int32_t> m_groupStart;
    std::vector<std::uint8_t> m_groupLanes;
    std::vector<std::int8_t> m_groupWeights;
    ColumnTaps m_columns;

    // The latest halved rows, in a ring; m_halvedThrough is the last one made for this frame.
    std::vector<std::uint8_t> m_halved;
    int m_halvedThrough = -1;
    // One input row blended from the rows above and below it, plus room past its end for the
    // row filter's window.
    std::vector<std::uint8_t> m_blendedRow;
    // A surface row: bars drawn once per geometry, the picture redrawn for every row.
    std::vector<std::uint8_t> m_surfaceRow;
    std::vector<std::uint8_t> m_blackRow;
};
