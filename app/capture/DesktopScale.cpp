#include "capture/DesktopScale.h"

#include <QList>

#include <algorithm>
#include <cmath>

namespace DesktopScale {
namespace {

constexpr double kBaseDpi = 96.0;
// Beyond any real screen; bounds the arithmetic on a hostile resource string.
constexpr int kMaxScale = 8;

std::optional<double> positiveNumber(const QByteArray& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value <= 0) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<double> xftDpi(const QByteArray& resources) {
    std::optional<double> dpi;
    // Later lines win, as xrdb merges them.
    for (const QByteArray& line : resources.split('\n')) {
        const int colon = line.indexOf(':');
        if (colon < 0 || line.left(colon).trimmed() != "Xft.dpi") {
            continue;
        }
        dpi = positiveNumber(line.mid(colon + 1));
    }
    return dpi;
}

int scaleFactor(std::optional<double> dpi, const QByteArray& gdkScale,
                const QByteArray& qtScaleFactor) {
    double scale = 1.0;
    if (dpi) {
        scale = *dpi / kBaseDpi;
    } else if (const auto gdk = positiveNumber(gdkScale)) {
        scale = std::floor(*gdk);  // GTK takes only whole numbers
    }
    if (const auto qt = positiveNumber(qtScaleFactor)) {
        scale *= *qt;
    }
    return std::clamp(static_cast<int>(std::lround(std::min<double>(scale, kMaxScale))), 1,
                      kMaxScale);
}

int fromEnvironment(std::optional<double> dpi) {
    return scaleFactor(dpi, qgetenv("GDK_SCALE"), qgetenv("QT_SCALE_FACTOR"));
}

}  // namespace DesktopScale
