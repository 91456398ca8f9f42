#pragma once

#include <cstdint>

// The hand-off's copy of one surface into a reader's buffer, both 'BGRA': as many rows as the
// shorter of the two has; one block when the row strides match, else row by row, each row cut to
// the shorter stride. The pixel format and the source width are not consulted, so a smaller
// surface lands in the top-left corner and the rest of the destination keeps what it held.
namespace FrameCopy {

void copyRows(const std::uint8_t* source, int sourceBytesPerRow, int sourceHeight,
              std::uint8_t* destination, int destinationBytesPerRow, int destinationHeight);

}  // namespace FrameCopy
