#pragma once

#include <cstdint>
#include <vector>

// The horizontal taps of one output row, in the two layouts the kernels read. Per output pixel
// i: its left source pixel first[i] and the weights of that pixel and the next (two bytes). Per
// group of eight output pixels g < groupCount: the source pixel groupStart[g] where a 16-pixel
// window holding all their taps begins, 16 bytes of window positions 0…15 (the left taps of
// pixels 0…7, then their right taps) and 16 weight bytes (left and right weight of each pixel).
// The group tables are kept small so that they stay in the first-level cache beside the rows.
struct ColumnTaps {
    int pixelCount = 0;
    int groupCount = 0;
    const std::int32_t* first = nullptr;
    const std::int8_t* weights = nullptr;
    const std::int32_t* groupStart = nullptr;
    const std::uint8_t* groupLanes = nullptr;
    const std::int8_t* groupWeights = nullptr;
};

// The inner loops of frame scaling, one row at a time, chosen once for the processor: a portable
// set and, where the processor has them, AVX2 and AVX-512 ones. Both compute the same integers, so
// the picture does not depend on the machine. Pixels are 'BGRA', four bytes; weights are 1/128ths
// and each weighted sum is rounded as (sum + 64) >> 7.
struct RowKernels {
    // out pixel i = the mean of the 2 × 2 block at column 2i of rows `top` and `bottom` (as
    // avg(avg(top, bottom) of each column), rounding up at each step). A block past the last of
    // `sourcePixels` columns repeats the last column.
    using HalveRows = void (*)(const std::uint8_t* top, const std::uint8_t* bottom,
                               std::uint8_t* out, int outPixels, int sourcePixels);
    // out[k] = weightTop · top[k] + weightBottom · bottom[k], for k < byteCount.
    using BlendRows = void (*)(const std::uint8_t* top, const std::uint8_t* bottom,
                               std::int8_t weightTop, std::int8_t weightBottom, std::uint8_t* out,
                               int byteCount);
    // Interpolates the output pixels of groups [fromGroup, toGroup) along the taps into `out`
    // (the start of the output row), alpha set opaque; the pixels after the last whole group go
    // with the call that reaches taps.groupCount. `row` must hold 16 readable pixels past the
    // last one a tap names.
    using FilterRow = void (*)(const std::uint8_t* row, const ColumnTaps& taps, int fromGroup,
                               int toGroup, std::uint8_t* out);

    HalveRows halveRows;
    BlendRows blendRows;
    FilterRow filterRow;
    const char* name;

    static const RowKernels& portable();
    // The fastest set this processor runs.
    static const RowKernels& best();
    // Every set this processor runs, portable first and best last.
    static std::vector<const RowKernels*> available();
};
