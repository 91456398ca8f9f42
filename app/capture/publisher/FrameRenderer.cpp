#include "capture/publisher/FrameRenderer.h"

#include <libyuv/planar_functions.h>
#include <libyuv/scale_argb.h>

#include <algorithm>
#include <cmath>

namespace {

// Opaque black as a little-endian 'BGRA' word (libyuv calls the layout ARGB).
constexpr std::uint32_t kOpaqueBlack = 0xFF000000u;

void fillRect(std::uint8_t* destination, int bytesPerRow, int x, int y, int width, int height) {
    if (width > 0 && height > 0) {
        libyuv::ARGBRect(destination, bytesPerRow, x, y, width, height, kOpaqueBlack);
    }
}

// The frame is composited over opaque black, so the result is opaque. libyuv's filtered scaling
// weighs neighbours by 127/128 and leaves alpha at 253, which a consumer could take for
// translucency: set it back.
void makeOpaque(std::uint8_t* destination, int bytesPerRow, const FrameRenderer::Placement& place) {
    for (int y = place.y; y < place.y + place.height; ++y) {
        auto* row =
            reinterpret_cast<std::uint32_t*>(destination + std::size_t(y) * bytesPerRow) + place.x;
        for (int x = 0; x < place.width; ++x) {
            row[x] |= kOpaqueBlack;
        }
    }
}

}  // namespace

FrameRenderer::FrameRenderer(const RowKernels& kernels)
    : m_scaler(kernels) {}

FrameRenderer::Placement FrameRenderer::fit(int sourceWidth, int sourceHeight, int destinationWidth,
                                            int destinationHeight) {
    if (sourceWidth <= 0 || sourceHeight <= 0 || destinationWidth <= 0 || destinationHeight <= 0) {
        return {};
    }
    if (sourceWidth == destinationWidth && sourceHeight == destinationHeight) {
        return {0, 0, destinationWidth, destinationHeight};
    }
    const double scale =
        std::min(double(destinationWidth) / sourceWidth, double(destinationHeight) / sourceHeight);
    const int width = std::clamp(int(std::lround(sourceWidth * scale)), 1, destinationWidth);
    const int height = std::clamp(int(std::lround(sourceHeight * scale)), 1, destinationHeight);
    return {(destinationWidth - width) / 2, (destinationHeight - height) / 2, width, height};
}

void FrameRenderer::render(const PixelBuffer& source, std::uint8_t* destination,
                           int destinationBytesPerRow, int destinationWidth,
                           int destinationHeight) {
    if (!source.isValid() || !destination) {
        return;
    }
    if (source.width == destinationWidth && source.height == destinationHeight) {
        libyuv::ARGBCopy(source.data, source.bytesPerRow, destination, destinationBytesPerRow,
                         destinationWidth, destinationHeight);
        return;
    }
    const Placement place = fit(source.width, source.height, destinationWidth, destinationHeight);
    const FrameScaler::Geometry geometry{source.width,     source.height,    place.x,
                                         place.y,          place.width,      place.height,
                                         destinationWidth, destinationHeight};
    if (FrameScaler::supports(geometry)) {
        m_scaler.render(geometry, source, destination, destinationBytesPerRow);
        return;
    }
    // Beyond a fourfold shrink (sources over 7680 pixels wide): libyuv's filtered scaler.
    // Only the bars are painted: clearing the whole surface first would double the bytes written.
    fillRect(destination, destinationBytesPerRow, 0, 0, destinationWidth, place.y);
    fillRect(destination, destinationBytesPerRow, 0, place.y + place.height, destinationWidth,
             destinationHeight - place.y - place.height);
    fillRect(destination, destinationBytesPerRow, 0, place.y, place.x, place.height);
    fillRect(destination, destinationBytesPerRow, place.x + place.width, place.y,
             destinationWidth - place.x - place.width, place.height);
    std::uint8_t* target =
        destination + std::size_t(place.y) * destinationBytesPerRow + std::size_t(place.x) * 4;
    libyuv::ARGBScale(source.data, source.bytesPerRow, source.width, source.height, target,
                      destinationBytesPerRow, place.width, place.height, libyuv::kFilterBilinear);
    makeOpaque(destination, destinationBytesPerRow, place);
}
