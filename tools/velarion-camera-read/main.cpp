// velarion-camera-read [--png FILE]
// Reads the hand-off as the camera daemon does: registers on the notify name, prints the
// announced identifier as "surfaceID=<n>" and, with --png, copies that surface into a 1920 × 1080
// frame with the daemon's copy and saves it.

#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"
#include "shared/SurfaceReader.h"

#include <QImage>
#include <QString>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kCopyAttempts = 10;

int usage() {
    std::fprintf(stderr, "usage: velarion-camera-read [--png FILE]\n");
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    const char* pngPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) {
            pngPath = argv[++i];
        } else {
            return usage();
        }
    }

    NotifyCenter center;
    int token = -1;
    const std::uint32_t status = center.notify_register_check(FrameHandoff::kNotifyName, token);
    if (status != NotifyCenter::kStatusOK) {
        std::fprintf(stderr, "Failed to register notify token for %s, status=%u\n",
                     FrameHandoff::kNotifyName, status);
        return 1;
    }
    int changed = 0;
    std::uint64_t state = 0;
    center.notify_check(token, changed);
    center.notify_get_state(token, state);
    center.notify_cancel(token);
    // Only the low 32 bits carry an identifier; anything above is ignored.
    const auto surfaceId = static_cast<std::uint32_t>(state);
    std::printf("surfaceID=%u\n", surfaceId);
    std::fflush(stdout);
    if (!pngPath) {
        return 0;
    }
    if (surfaceId == FrameHandoff::kNoSurface) {
        std::fprintf(stderr, "Nothing has been published (surface identifier 0)\n");
        return 1;
    }

    const int bytesPerRow = FrameHandoff::kFrameWidth * FrameHandoff::kBytesPerPixel;
    std::vector<std::uint8_t> frame(std::size_t(bytesPerRow) * FrameHandoff::kFrameHeight, 0);
    SurfaceReader reader;
    SurfaceReader::CopyResult result = SurfaceReader::CopyResult::torn;
    for (int attempt = 0; attempt < kCopyAttempts && result == SurfaceReader::CopyResult::torn;
         ++attempt) {
        result = reader.copy(surfaceId, frame.data(), bytesPerRow, FrameHandoff::kFrameHeight);
    }
    if (result == SurfaceReader::CopyResult::notFound) {
        std::fprintf(stderr, "IOSurfaceLookup(%u) failed — stale surface ID\n", surfaceId);
        return 1;
    }
    if (result == SurfaceReader::CopyResult::torn) {
        std::fprintf(stderr, "Surface %u was redrawn during every copy\n", surfaceId);
        return 1;
    }
    // 'BGRA' in memory is QImage's ARGB32 on this little-endian machine.
    const QImage image(frame.data(), FrameHandoff::kFrameWidth, FrameHandoff::kFrameHeight,
                       bytesPerRow, QImage::Format_ARGB32);
    if (!image.save(QString::fromLocal8Bit(pngPath), "PNG")) {
        std::fprintf(stderr, "Cannot write %s\n", pngPath);
        return 1;
    }
    return 0;
}
