#include "shared/SharedSurfacePool.h"

#include "shared/FrameHandoff.h"
#include "shared/SharedSurface.h"

#include <unistd.h>

SharedSurfacePool::SharedSurfacePool(int width, int height, std::uint32_t pixelFormat)
    : m_width(width)
    , m_height(height)
    , m_pixelFormat(pixelFormat) {}

SharedSurfacePool::~SharedSurfacePool() = default;

std::unique_ptr<SharedSurfacePool> SharedSurfacePool::create(int width, int height,
                                                             std::uint32_t pixelFormat) {
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 ||
        pixelFormat != FrameHandoff::kPixelFormatBGRA) {
        return nullptr;
    }
    if (::access("/dev/shm", W_OK) != 0) {
        return nullptr;
    }
    SharedSurface::removeOrphans();
    return std::unique_ptr<SharedSurfacePool>(new SharedSurfacePool(width, height, pixelFormat));
}

std::unique_ptr<SharedSurface> SharedSurfacePool::createSurface() {
    return SharedSurface::create(m_width, m_height, m_pixelFormat);
}
