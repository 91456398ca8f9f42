#include "ocr/OverlayGeometry.h"

#include "core/Preferences.h"
#include "core/UserDefaults.h"

#include <algorithm>

namespace OverlayGeometry {

QList<QRectF> maskRects(const QList<SensitiveRegion>& regions, QSizeF screenSize, double imageWidth,
                        double imageHeight) {
    QList<QRectF> rects;
    if (imageWidth <= 0.0 || imageHeight <= 0.0) {
        return rects;
    }
    const double sx = screenSize.width() / imageWidth;
    const double sy = screenSize.height() / imageHeight;
    rects.reserve(regions.size());
    for (const SensitiveRegion& region : regions) {
        const QRectF& r = region.bounds;
        const QRectF scaled(r.x() * sx, r.y() * sy, r.width() * sx, r.height() * sy);
        rects.append(scaled.adjusted(-kGrowX, -kGrowY, kGrowX, kGrowY));
    }
    return rects;
}

double maskOpacity(double blurRadius) {
    return std::clamp(blurRadius / 50.0, 0.3, 1.0);
}

double maskOpacity(const UserDefaults& defaults) {
    return maskOpacity(defaults.storedDouble(QString::fromLatin1(Preferences::kBlurRadius))
                           .value_or(Preferences::kDefaultBlurRadius));
}

}  // namespace OverlayGeometry
