#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class ShmFile;
struct SurfaceHeader;

// A surface of pixels that another process of the same user can find by its 32-bit identifier.
// The owner creates it; its identifier is never 0 and is not handed out again while the owning
// process runs. The surface dies with its owner: destroying the owner's object marks it released
// and removes its name, and if the owner process dies instead, the kernel drops the owner's lock
// and readers treat the identifier as stale and remove the orphan.
class SharedSurface {
public:
    // Owner side. Returns nothing when the system refuses the memory.
    static std::unique_ptr<SharedSurface> create(int width, int height, std::uint32_t pixelFormat);
    // Reader side: the surface of another process (or of this one). Nothing when the identifier
    // is 0, unknown, stale (released or owner gone), foreign or its header does not fit the object.
    static std::unique_ptr<SharedSurface> lookup(std::uint32_t surfaceId);
    // Removes the objects of this user whose owners are gone. Returns how many were removed.
    static int removeOrphans();

    ~SharedSurface();
    SharedSurface(const SharedSurface&) = delete;
    SharedSurface& operator=(const SharedSurface&) = delete;

    std::uint32_t surfaceId() const { return m_surfaceId; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    int bytesPerRow() const { return m_bytesPerRow; }
    std::uint32_t pixelFormat() const { return m_pixelFormat; }
    bool isOwner() const { return m_owner; }
    std::uint8_t* baseAddress() const { return m_pixels; }

    // Owner: brackets every write of the pixels.
    void beginWrite();
    void endWrite();

    // Reader: whether the owner still holds the surface. A mapping kept from an earlier frame must
    // pass this before each use. A surface found stale is removed if its owner died.
    bool isAlive() const;
    // Reader: the sequence value to compare after the copy, or nothing while a write is under
    // way or the surface is gone.
    std::optional<std::uint32_t> lockReadOnly() const;
    // Reader: true when no write began since `lockReadOnly()` returned `sequence`.
    bool unlockReadOnly(std::uint32_t sequence) const;

    // The shared-memory name of an identifier in this user's namespace.
    static std::string nameFor(std::uint32_t surfaceId);

    struct HeaderFields;  // the layout part of a header, copied out of the mapping once

private:
    // `fields` is the validated private copy of the header; the shared one is never read for
    // the layout again.
    SharedSurface(std::unique_ptr<ShmFile> file, bool owner, const HeaderFields& fields);
    SurfaceHeader& header() const;

    std::unique_ptr<ShmFile> m_file;
    bool m_owner = false;
    std::uint32_t m_surfaceId = 0;
    int m_width = 0;
    int m_height = 0;
    int m_bytesPerRow = 0;
    std::uint32_t m_pixelFormat = 0;
    std::uint8_t* m_pixels = nullptr;
};
