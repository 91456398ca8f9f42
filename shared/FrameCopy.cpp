#include "shared/FrameCopy.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace FrameCopy {

void copyRows(const std::uint8_t* source, int sourceBytesPerRow, int sourceHeight,
              std::uint8_t* destination, int destinationBytesPerRow, int destinationHeight) {
    if (!source || !destination || sourceBytesPerRow <= 0 || destinationBytesPerRow <= 0) {
        return;
    }
    const int rows = std::max(0, std::min(sourceHeight, destinationHeight));
    if (sourceBytesPerRow == destinationBytesPerRow) {
        std::memcpy(destination, source, std::size_t(rows) * std::size_t(sourceBytesPerRow));
        return;
    }
    const std::size_t rowBytes = std::size_t(std::min(sourceBytesPerRow, destinationBytesPerRow));
    for (int row = 0; row < rows; ++row) {
        std::memcpy(destination + std::size_t(row) * std::size_t(destinationBytesPerRow),
                    source + std::size_t(row) * std::size_t(sourceBytesPerRow), rowBytes);
    }
}

}  // namespace FrameCopy
