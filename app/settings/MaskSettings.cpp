#include "settings/MaskSettings.h"

#include "core/Preferences.h"
#include "core/UserDefaults.h"
#include "ocr/OverlayGeometry.h"

namespace {

const QString kBlurRadiusKey = QString::fromLatin1(Preferences::kBlurRadius);
const QString kScanIntervalKey = QString::fromLatin1(Preferences::kOcrScanInterval);

// A value never stored, or stored in a form that is not a number, reads as the default the
// launch registers, also before it is registered (as the overlay's own opacity rule does).
double readDouble(const UserDefaults& defaults, const QString& key, double fallback) {
    return defaults.storedDouble(key).value_or(fallback);
}

}  // namespace

MaskSettings::MaskSettings(UserDefaults& defaults, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_blurRadius(readDouble(defaults, kBlurRadiusKey, Preferences::kDefaultBlurRadius))
    , m_scanInterval(
          readDouble(defaults, kScanIntervalKey, Preferences::kDefaultOcrScanIntervalSeconds))
    , m_maskOpacity(OverlayGeometry::maskOpacity(m_blurRadius)) {
    connect(&m_defaults, &UserDefaults::valueChanged, this, &MaskSettings::reload);
}

void MaskSettings::setBlurRadius(double blurRadius) {
    m_defaults.setValue(kBlurRadiusKey, blurRadius);
}

void MaskSettings::setScanInterval(double seconds) {
    m_defaults.setValue(kScanIntervalKey, seconds);
}

void MaskSettings::reload(const QString& key) {
    if (key == kBlurRadiusKey) {
        const double blurRadius = readDouble(m_defaults, key, Preferences::kDefaultBlurRadius);
        if (blurRadius == m_blurRadius) {
            return;
        }
        m_blurRadius = blurRadius;
        Q_EMIT blurRadiusChanged();
        const double opacity = OverlayGeometry::maskOpacity(blurRadius);
        if (opacity != m_maskOpacity) {
            m_maskOpacity = opacity;
            Q_EMIT maskOpacityChanged();
        }
    } else if (key == kScanIntervalKey) {
        const double seconds =
            readDouble(m_defaults, key, Preferences::kDefaultOcrScanIntervalSeconds);
        if (seconds != m_scanInterval) {
            m_scanInterval = seconds;
            Q_EMIT scanIntervalChanged();
        }
    }
}
