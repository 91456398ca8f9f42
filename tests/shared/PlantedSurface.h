#pragma once

#include "shared/FrameHandoff.h"
#include "shared/SharedSurface.h"
#include "shared/ShmFile.h"
#include "shared/SurfaceHeader.h"

#include <memory>
#include <new>

// A surface object made by hand under the name of `surfaceId`, owner lock held, with a header
// that the test may then falsify, or whose owner and mode it may change.
inline std::unique_ptr<ShmFile> plantSurface(std::uint32_t surfaceId, std::uint32_t width,
                                             std::uint32_t height) {
    const std::size_t pixelBytes = std::size_t(width) * height * 4;
    auto created = ShmFile::createExclusive(SharedSurface::nameFor(surfaceId),
                                            SurfaceHeader::kPixelOffset + pixelBytes);
    if (!created.file || !created.file->holdOwnerLock()) {
        return nullptr;
    }
    auto* header = new (created.file->data()) SurfaceHeader{};
    header->magic = SurfaceHeader::kMagic;
    header->version = SurfaceHeader::kVersion;
    header->surfaceId = surfaceId;
    header->pixelFormat = FrameHandoff::kPixelFormatBGRA;
    header->width = width;
    header->height = height;
    header->bytesPerRow = width * 4;
    header->pixelOffset = SurfaceHeader::kPixelOffset;
    header->pixelBytes = pixelBytes;
    return std::move(created.file);
}
