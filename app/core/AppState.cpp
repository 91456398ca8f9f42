#include "core/AppState.h"

#include <algorithm>

namespace {

// Stores `value` and reports whether observers must hear about it.
bool storeFlag(bool& field, bool value) {
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}

bool sameIdsInOrder(const QList<ProtectedWindow>& a, const QList<ProtectedWindow>& b) {
    return std::equal(
        a.cbegin(), a.cend(), b.cbegin(), b.cend(),
        [](const ProtectedWindow& x, const ProtectedWindow& y) { return x.id == y.id; });
}

}  // namespace

AppState::AppState(QObject* parent)
    : QObject(parent) {}

WindowIdSet AppState::protectedWindowIDs() const {
    WindowIdSet ids;
    ids.reserve(m_protectedWindows.size());
    for (const ProtectedWindow& window : m_protectedWindows) {
        ids.insert(window.id);
    }
    return ids;
}

void AppState::setDesktopShieldActive(bool active) {
    if (storeFlag(m_isDesktopShieldActive, active)) {
        Q_EMIT isDesktopShieldActiveChanged();
    }
}

void AppState::setNotificationGuardActive(bool active) {
    if (storeFlag(m_isNotificationGuardActive, active)) {
        Q_EMIT isNotificationGuardActiveChanged();
    }
}

void AppState::setOCRMaskingActive(bool active) {
    if (storeFlag(m_isOCRMaskingActive, active)) {
        Q_EMIT isOCRMaskingActiveChanged();
    }
}

void AppState::setPresentationMode(bool on) {
    if (storeFlag(m_isPresentationMode, on)) {
        Q_EMIT isPresentationModeChanged();
    }
}

void AppState::setVirtualCameraActive(bool active) {
    if (storeFlag(m_isVirtualCameraActive, active)) {
        Q_EMIT isVirtualCameraActiveChanged();
    }
}

void AppState::setProtectedWindows(const QList<ProtectedWindow>& windows) {
    // Same storage or the same ids in the same order: keep the new titles, tell nobody.
    const bool unchanged =
        m_protectedWindows.isSharedWith(windows) || sameIdsInOrder(m_protectedWindows, windows);
    m_protectedWindows = windows;
    if (!unchanged) {
        Q_EMIT protectedWindowsChanged();
    }
}

void AppState::setDetectedSensitiveRegions(const QList<SensitiveRegion>& regions) {
    m_detectedSensitiveRegions = regions;
    Q_EMIT detectedSensitiveRegionsChanged();
}
