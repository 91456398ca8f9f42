#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class SharedSurface;

// The reading side's copy of announced surfaces. It keeps the mappings of the last few identifiers
// (the first copy out of a fresh mapping costs page faults on every frame otherwise) but checks
// each one before every copy, so an identifier whose owner released it or died fails on the very
// next frame. Not thread-safe: one reader thread.
class SurfaceReader {
public:
    enum class CopyResult {
        copied,
        notFound,  // 0, unknown, stale or malformed: the caller shows black
        torn,      // the owner kept drawing into it during every attempt; the copy may be mixed
    };

    SurfaceReader();
    ~SurfaceReader();
    SurfaceReader(const SurfaceReader&) = delete;
    SurfaceReader& operator=(const SurfaceReader&) = delete;

    // Copies the surface into a 'BGRA' buffer (locked read-only around the copy).
    CopyResult copy(std::uint32_t surfaceId, std::uint8_t* destination, int destinationBytesPerRow,
                    int destinationHeight);

    // Drops every mapping.
    void clear();

private:
    SharedSurface* attach(std::uint32_t surfaceId);
    void forget(std::uint32_t surfaceId);

    struct Entry {
        std::uint32_t surfaceId = 0;
        std::unique_ptr<SharedSurface> surface;
    };
    std::vector<Entry> m_cache;  // most recently used last
};
