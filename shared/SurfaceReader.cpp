#include "shared/SurfaceReader.h"

#include "shared/FrameCopy.h"
#include "shared/FrameHandoff.h"
#include "shared/SharedSurface.h"

#include <algorithm>
#include <thread>

namespace {

// Two rings' worth: a publisher restarting keeps the old three alive only for a moment.
constexpr std::size_t kCachedSurfaces = 2 * FrameHandoff::kRingSize;
constexpr int kCopyAttempts = 3;

}  // namespace

SurfaceReader::SurfaceReader() = default;
SurfaceReader::~SurfaceReader() = default;

void SurfaceReader::clear() {
    m_cache.clear();
}

void SurfaceReader::forget(std::uint32_t surfaceId) {
    std::erase_if(m_cache, [&](const Entry& entry) { return entry.surfaceId == surfaceId; });
}

SharedSurface* SurfaceReader::attach(std::uint32_t surfaceId) {
    const auto it = std::find_if(m_cache.begin(), m_cache.end(),
                                 [&](const Entry& entry) { return entry.surfaceId == surfaceId; });
    if (it != m_cache.end()) {
        if (!it->surface->isAlive()) {
            m_cache.erase(it);
            return nullptr;
        }
        std::rotate(it, it + 1, m_cache.end());
        return m_cache.back().surface.get();
    }
    std::unique_ptr<SharedSurface> surface = SharedSurface::lookup(surfaceId);
    if (!surface) {
        return nullptr;
    }
    if (m_cache.size() >= kCachedSurfaces) {
        m_cache.erase(m_cache.begin());
    }
    m_cache.push_back({surfaceId, std::move(surface)});
    return m_cache.back().surface.get();
}

SurfaceReader::CopyResult SurfaceReader::copy(std::uint32_t surfaceId, std::uint8_t* destination,
                                              int destinationBytesPerRow, int destinationHeight) {
    if (surfaceId == FrameHandoff::kNoSurface) {
        return CopyResult::notFound;
    }
    SharedSurface* surface = attach(surfaceId);
    if (!surface) {
        return CopyResult::notFound;
    }
    for (int attempt = 0; attempt < kCopyAttempts; ++attempt) {
        const std::optional<std::uint32_t> sequence = surface->lockReadOnly();
        if (!sequence) {
            if (!surface->isAlive()) {
                forget(surfaceId);
                return CopyResult::notFound;
            }
            std::this_thread::yield();  // a frame is being drawn into it right now
            continue;
        }
        FrameCopy::copyRows(surface->baseAddress(), surface->bytesPerRow(), surface->height(),
                            destination, destinationBytesPerRow, destinationHeight);
        if (surface->unlockReadOnly(*sequence)) {
            return CopyResult::copied;
        }
    }
    return CopyResult::torn;
}
