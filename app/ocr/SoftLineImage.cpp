#include "ocr/SoftLineImage.h"

#include <algorithm>
#include <cstdint>

namespace SoftLineImage {
namespace {

// Below this spread between the ink and ground levels the grey image says nothing the binary
// one does not.
constexpr int kMinLevelSpread = 40;

}  // namespace

QImage make(const QImage& gray, const QImage& binary, const QRect& box) {
    if (gray.format() != QImage::Format_Grayscale8 || binary.size() != box.size() ||
        !gray.rect().contains(box)) {
        return binary;
    }
    int64_t inkSum = 0;
    int64_t groundSum = 0;
    int64_t inkCount = 0;
    int64_t groundCount = 0;
    for (int y = 0; y < box.height(); ++y) {
        const uint8_t* source = gray.constScanLine(box.top() + y) + box.left();
        const uint8_t* mask = binary.constScanLine(y);
        for (int x = 0; x < box.width(); ++x) {
            if (mask[x] == 0) {
                inkSum += source[x];
                ++inkCount;
            } else {
                groundSum += source[x];
                ++groundCount;
            }
        }
    }
    if (inkCount == 0 || groundCount == 0) {
        return binary;
    }
    const int ink = static_cast<int>(inkSum / inkCount);
    const int ground = static_cast<int>(groundSum / groundCount);
    if (std::abs(ground - ink) < kMinLevelSpread) {
        return binary;
    }
    // The mean ink level lies inside the strokes' grey edges; stretching from a level a little
    // beyond it keeps stroke cores black.
    const int inkLevel = ink + (ink - ground) / 4;
    QImage out(box.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < box.height(); ++y) {
        const uint8_t* source = gray.constScanLine(box.top() + y) + box.left();
        const uint8_t* mask = binary.constScanLine(y);
        uint8_t* target = out.scanLine(y);
        for (int x = 0; x < box.width(); ++x) {
            const int value = 255 * (source[x] - inkLevel) / (ground - inkLevel);
            // The binary line decides the side of every pixel (its block rules know light and
            // dark parts of a line, a single pair of levels does not); the grey level only shades
            // it.
            target[x] = static_cast<uint8_t>(mask[x] == 0 ? std::clamp(value, 0, 127)
                                                          : std::clamp(value, 128, 255));
        }
    }
    return out;
}

}  // namespace SoftLineImage
