#include "SnapshotEnlargement.h"

#include <algorithm>
#include <cstdint>

namespace SnapshotEnlargement {

QImage enlargeTwice(const QImage& screen) {
    if (screen.isNull()) {
        return {};
    }
    const QImage in = screen.convertToFormat(QImage::Format_RGB32);
    const int w = in.width();
    const int h = in.height();
    QImage out(2 * w, 2 * h, QImage::Format_RGB32);
    // Output pixel o samples the source at (o + 0.5) / 2 - 0.5: the neighbour on the side of o's
    // half, weighted 64/256, the own pixel 192/256.
    const auto neighbour = [](int o, int size) {
        const int own = o / 2;
        return std::clamp(o % 2 == 0 ? own - 1 : own + 1, 0, size - 1);
    };
    for (int oy = 0; oy < 2 * h; ++oy) {
        const auto* rowA = reinterpret_cast<const uint32_t*>(in.constScanLine(oy / 2));
        const auto* rowB = reinterpret_cast<const uint32_t*>(in.constScanLine(neighbour(oy, h)));
        auto* target = reinterpret_cast<uint32_t*>(out.scanLine(oy));
        for (int ox = 0; ox < 2 * w; ++ox) {
            const int xa = ox / 2;
            const int xb = neighbour(ox, w);
            uint32_t pixel = 0xff000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                const auto c = [shift](uint32_t p) {
                    return static_cast<int>((p >> shift) & 0xff);
                };
                const int sum = c(rowA[xa]) * 192 * 192 + c(rowA[xb]) * 64 * 192 +
                                c(rowB[xa]) * 192 * 64 + c(rowB[xb]) * 64 * 64;
                pixel |= static_cast<uint32_t>(sum >> 16) << shift;
            }
            target[ox] = pixel;
        }
    }
    return out;
}

}  // namespace SnapshotEnlargement
