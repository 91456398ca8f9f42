// A shared surface as another process could leave it: an object of random size whose first bytes
// are a random header (with the identity fields made right on request, to reach past them), read
// by the camera daemon's reader into a destination of random stride and height. The copy must
// stay inside the mapping and the destination; AddressSanitizer guards the destination, and the
// mapping is followed by an unmapped page.

#include "shared/FrameHandoff.h"
#include "shared/SharedSurface.h"
#include "shared/ShmFile.h"
#include "shared/SurfaceHeader.h"
#include "shared/SurfaceReader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr std::uint32_t kSurfaceId = 0x46555a5a;
constexpr std::size_t kMaxObjectBytes = 1 << 20;

template <typename T>
T take(const std::uint8_t*& data, std::size_t& size) {
    T value{};
    const std::size_t n = std::min(sizeof value, size);
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    // A runtime folder name of this run's own gives it shared-memory names of its own, so no real
    // surface is ever touched; nothing is stored in the folder, so it need not exist.
    const std::string runtime = "/tmp/velarion-fuzz-" + std::to_string(::getpid());
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto flags = take<std::uint8_t>(data, size);
    const auto objectBytes = take<std::uint32_t>(data, size) % kMaxObjectBytes;
    const auto destinationBytesPerRow = take<std::uint16_t>(data, size) % 8192;
    const auto destinationHeight = take<std::uint16_t>(data, size) % 512;

    const std::string name = SharedSurface::nameFor(kSurfaceId);
    ShmFile::unlink(name);
    ShmFile::Result created = ShmFile::createExclusive(name, std::max<std::size_t>(objectBytes, 1));
    if (!created.file || !created.file->holdOwnerLock()) {
        return 0;
    }
    auto* bytes = static_cast<std::uint8_t*>(created.file->data());
    std::memcpy(bytes, data, std::min(size, created.file->size()));
    if ((flags & 1) != 0 && created.file->size() >= sizeof(SurfaceHeader)) {
        auto* header = reinterpret_cast<SurfaceHeader*>(bytes);
        header->magic = SurfaceHeader::kMagic;
        header->version = SurfaceHeader::kVersion;
        header->surfaceId = kSurfaceId;
        header->released.store(0);
        if ((flags & 2) != 0) {
            header->sequence.store(0);
        }
    }

    std::vector<std::uint8_t> destination(std::size_t(destinationBytesPerRow) * destinationHeight);
    SurfaceReader reader;
    (void)reader.copy(kSurfaceId, destination.data(), destinationBytesPerRow, destinationHeight);
    ShmFile::unlink(name);
    return 0;
}
