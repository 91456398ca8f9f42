#include "shared/SharedSurface.h"

#include "shared/FrameHandoff.h"
#include "shared/ShmFile.h"
#include "shared/SurfaceHeader.h"

#include <filesystem>
#include <limits>
#include <mutex>
#include <new>
#include <random>
#include <unordered_set>

#include <unistd.h>

namespace {

constexpr int kRowAlignment = 64;
constexpr int kCreateAttempts = 64;
// An object this young without an owner may be one whose creator has not taken its lock yet.
constexpr double kOrphanGraceSeconds = 5.0;

std::string namePrefix() {
    return FrameHandoff::shmNamespace() + "-" + std::to_string(::geteuid()) + "-surface-";
}

// Identifiers handed out by this process: never again while it runs, even after release, so a
// reader holding an old identifier can never be shown a newer frame under it.
class IdentifierSource {
public:
    std::uint32_t next() {
        std::lock_guard lock(m_mutex);
        for (;;) {
            const std::uint32_t id = m_distribution(m_engine);
            if (m_used.insert(id).second) {
                return id;
            }
        }
    }

private:
    std::mutex m_mutex;
    std::mt19937 m_engine{std::random_device{}()};
    std::uniform_int_distribution<std::uint32_t> m_distribution{1, 0xFFFFFFFFu};
    std::unordered_set<std::uint32_t> m_used;
};

IdentifierSource& identifierSource() {
    static IdentifierSource source;
    return source;
}

}  // namespace

// The header fields a reader relies on, copied out of the shared object in one pass. The owner
// process can rewrite the shared header at any time; only this private copy is validated and
// used afterwards, so no value can change between its check and its use.
struct SharedSurface::HeaderFields {
    std::uint32_t magic;
    std::uint32_t version;
    std::uint32_t surfaceId;
    std::uint32_t pixelFormat;
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t bytesPerRow;
    std::uint32_t ownerPid;
    std::uint64_t pixelOffset;
    std::uint64_t pixelBytes;
};

namespace {

using HeaderFields = SharedSurface::HeaderFields;

// Field by field with atomic loads: another process may be writing the header right now, and
// each field must be read exactly once.
HeaderFields copyFields(const void* mapping) {
    const auto* shared = static_cast<const SurfaceHeader*>(mapping);
    const auto load = [](const auto& field) {
        return __atomic_load_n(&field, __ATOMIC_RELAXED);
    };
    return HeaderFields{load(shared->magic),       load(shared->version),
                        load(shared->surfaceId),   load(shared->pixelFormat),
                        load(shared->width),       load(shared->height),
                        load(shared->bytesPerRow), load(shared->ownerPid),
                        load(shared->pixelOffset), load(shared->pixelBytes)};
}

constexpr std::uint32_t kMaxSide = 65536;

bool headerFits(const HeaderFields& header, std::uint32_t surfaceId, std::size_t mappedSize) {
    if (header.magic != SurfaceHeader::kMagic || header.version != SurfaceHeader::kVersion ||
        header.surfaceId != surfaceId || header.width == 0 || header.height == 0 ||
        header.bytesPerRow == 0 || header.width > kMaxSide || header.height > kMaxSide ||
        header.bytesPerRow > std::uint32_t{std::numeric_limits<int>::max()}) {
        return false;
    }
    if (header.pixelFormat == FrameHandoff::kPixelFormatBGRA &&
        std::uint64_t{header.width} * FrameHandoff::kBytesPerPixel > header.bytesPerRow) {
        return false;
    }
    const std::uint64_t pixelBytes = std::uint64_t{header.height} * header.bytesPerRow;
    return header.pixelOffset >= sizeof(SurfaceHeader) && header.pixelBytes == pixelBytes &&
           header.pixelOffset <= mappedSize && pixelBytes <= mappedSize - header.pixelOffset;
}

// Removes the object behind `file` if its owner is gone. True when it was an orphan.
bool removeIfOrphan(const ShmFile& file, const SurfaceHeader& header) {
    if (file.isOwnerLockHeld()) {
        return false;
    }
    if (header.released.load(std::memory_order_acquire) == 0 && file.nameStillRefersToThis()) {
        ShmFile::unlink(file.name());
    }
    return true;
}

}  // namespace

std::string SharedSurface::nameFor(std::uint32_t surfaceId) {
    return "/" + namePrefix() + std::to_string(surfaceId);
}

SharedSurface::SharedSurface(std::unique_ptr<ShmFile> file, bool owner, const HeaderFields& h)
    : m_file(std::move(file))
    , m_owner(owner) {
    m_surfaceId = h.surfaceId;
    m_width = static_cast<int>(h.width);
    m_height = static_cast<int>(h.height);
    m_bytesPerRow = static_cast<int>(h.bytesPerRow);
    m_pixelFormat = h.pixelFormat;
    m_pixels = static_cast<std::uint8_t*>(m_file->data()) + h.pixelOffset;
}

SharedSurface::~SharedSurface() {
    if (m_owner) {
        header().released.store(1, std::memory_order_release);
        if (m_file->nameStillRefersToThis()) {
            ShmFile::unlink(m_file->name());
        }
    }
}

SurfaceHeader& SharedSurface::header() const {
    return *static_cast<SurfaceHeader*>(m_file->data());
}

std::unique_ptr<SharedSurface> SharedSurface::create(int width, int height,
                                                     std::uint32_t pixelFormat) {
    if (width <= 0 || height <= 0 || width > 65536 || height > 65536) {
        return nullptr;
    }
    const std::uint64_t rowBytes = std::uint64_t(width) * FrameHandoff::kBytesPerPixel;
    const std::uint64_t bytesPerRow =
        (rowBytes + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
    const std::uint64_t pixelBytes = bytesPerRow * std::uint64_t(height);
    const std::size_t size = SurfaceHeader::kPixelOffset + pixelBytes;

    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const std::uint32_t id = identifierSource().next();
        ShmFile::Result created = ShmFile::createExclusive(nameFor(id), size);
        if (!created.file) {
            if (created.error == EEXIST) {
                continue;  // another process's surface, or a squatter: pick another identifier
            }
            return nullptr;
        }
        if (!created.file->holdOwnerLock()) {
            ShmFile::unlink(created.file->name());
            return nullptr;
        }
        auto* header = new (created.file->data()) SurfaceHeader{};
        header->magic = SurfaceHeader::kMagic;
        header->version = SurfaceHeader::kVersion;
        header->surfaceId = id;
        header->pixelFormat = pixelFormat;
        header->width = static_cast<std::uint32_t>(width);
        header->height = static_cast<std::uint32_t>(height);
        header->bytesPerRow = static_cast<std::uint32_t>(bytesPerRow);
        header->ownerPid = static_cast<std::uint32_t>(::getpid());
        header->pixelOffset = SurfaceHeader::kPixelOffset;
        header->pixelBytes = pixelBytes;
        header->released.store(0, std::memory_order_relaxed);
        header->sequence.store(0, std::memory_order_release);
        const HeaderFields fields = copyFields(header);
        return std::unique_ptr<SharedSurface>(
            new SharedSurface(std::move(created.file), true, fields));
    }
    return nullptr;
}

std::unique_ptr<SharedSurface> SharedSurface::lookup(std::uint32_t surfaceId) {
    if (surfaceId == FrameHandoff::kNoSurface) {
        return nullptr;
    }
    ShmFile::Result opened = ShmFile::openExisting(nameFor(surfaceId), sizeof(SurfaceHeader));
    if (!opened.file) {
        return nullptr;
    }
    // Read the layout once: the copy later uses these values, never the shared header again, so a
    // header rewritten after this check cannot send a reader outside its mapping.
    const HeaderFields fields = copyFields(opened.file->data());
    if (!headerFits(fields, surfaceId, opened.file->size())) {
        if (!opened.file->isOwnerLockHeld() && opened.file->ageSeconds() > kOrphanGraceSeconds) {
            ShmFile::unlink(opened.file->name());
        }
        return nullptr;
    }
    std::unique_ptr<SharedSurface> surface(
        new SharedSurface(std::move(opened.file), false, fields));
    if (!surface->isAlive()) {
        return nullptr;
    }
    return surface;
}

int SharedSurface::removeOrphans() {
    const std::string prefix = namePrefix();
    int removed = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error)) {
        const std::string fileName = entry.path().filename().string();
        if (fileName.rfind(prefix, 0) != 0) {
            continue;
        }
        ShmFile::Result opened = ShmFile::openExisting("/" + fileName, sizeof(SurfaceHeader));
        if (!opened.file || opened.file->isOwnerLockHeld()) {
            continue;
        }
        // The creator takes its lock before it writes the header, so an unlocked object with a
        // header is an orphan; one without may still be in the hands of its creator.
        const auto* header = static_cast<const SurfaceHeader*>(opened.file->data());
        if (header->magic != SurfaceHeader::kMagic &&
            opened.file->ageSeconds() < kOrphanGraceSeconds) {
            continue;
        }
        if (opened.file->nameStillRefersToThis() && ShmFile::unlink(opened.file->name())) {
            ++removed;
        }
    }
    return removed;
}

void SharedSurface::beginWrite() {
    std::atomic<std::uint32_t>& sequence = header().sequence;
    sequence.store(sequence.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
}

void SharedSurface::endWrite() {
    std::atomic<std::uint32_t>& sequence = header().sequence;
    sequence.store(sequence.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

bool SharedSurface::isAlive() const {
    const SurfaceHeader& h = header();
    if (h.released.load(std::memory_order_acquire) != 0) {
        return false;
    }
    if (m_owner) {
        return true;
    }
    return !removeIfOrphan(*m_file, h);
}

std::optional<std::uint32_t> SharedSurface::lockReadOnly() const {
    const std::uint32_t sequence = header().sequence.load(std::memory_order_acquire);
    if (sequence % 2 != 0 || !isAlive()) {
        return std::nullopt;
    }
    return sequence;
}

bool SharedSurface::unlockReadOnly(std::uint32_t sequence) const {
    std::atomic_thread_fence(std::memory_order_acquire);
    return header().sequence.load(std::memory_order_relaxed) == sequence;
}
