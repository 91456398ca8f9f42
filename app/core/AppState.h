#pragma once

#include "core/ProtectedWindow.h"
#include "core/SensitiveRegion.h"
#include "core/WindowInfo.h"

#include <QList>
#include <QObject>

// What the user has switched on and what the shields have found. One instance lives for the
// whole run on the GUI thread; it is never persisted.
//
// Observers are told about every write except a Bool written with the value it holds and a
// `protectedWindows` list with the same ids in the same order (titles are not compared): the new
// list is still stored in that case.
class AppState final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isDesktopShieldActive READ isDesktopShieldActive WRITE setDesktopShieldActive
                   NOTIFY isDesktopShieldActiveChanged)
    Q_PROPERTY(bool isNotificationGuardActive READ isNotificationGuardActive WRITE
                   setNotificationGuardActive NOTIFY isNotificationGuardActiveChanged)
    Q_PROPERTY(bool isOCRMaskingActive READ isOCRMaskingActive WRITE setOCRMaskingActive NOTIFY
                   isOCRMaskingActiveChanged)
    Q_PROPERTY(bool isPresentationMode READ isPresentationMode WRITE setPresentationMode NOTIFY
                   isPresentationModeChanged)
    Q_PROPERTY(bool isVirtualCameraActive READ isVirtualCameraActive WRITE setVirtualCameraActive
                   NOTIFY isVirtualCameraActiveChanged)
    Q_PROPERTY(QList<ProtectedWindow> protectedWindows READ protectedWindows WRITE
                   setProtectedWindows NOTIFY protectedWindowsChanged)
    Q_PROPERTY(QList<SensitiveRegion> detectedSensitiveRegions READ detectedSensitiveRegions WRITE
                   setDetectedSensitiveRegions NOTIFY detectedSensitiveRegionsChanged)

public:
    explicit AppState(QObject* parent = nullptr);

    bool isDesktopShieldActive() const { return m_isDesktopShieldActive; }
    bool isNotificationGuardActive() const { return m_isNotificationGuardActive; }
    bool isOCRMaskingActive() const { return m_isOCRMaskingActive; }
    bool isPresentationMode() const { return m_isPresentationMode; }
    bool isVirtualCameraActive() const { return m_isVirtualCameraActive; }
    const QList<ProtectedWindow>& protectedWindows() const { return m_protectedWindows; }
    const QList<SensitiveRegion>& detectedSensitiveRegions() const {
        return m_detectedSensitiveRegions;
    }

    // The ids of `protectedWindows`, computed anew at each call.
    WindowIdSet protectedWindowIDs() const;

    void setDesktopShieldActive(bool active);
    void setNotificationGuardActive(bool active);
    void setOCRMaskingActive(bool active);
    void setPresentationMode(bool on);
    void setVirtualCameraActive(bool active);
    void setProtectedWindows(const QList<ProtectedWindow>& windows);
    void setDetectedSensitiveRegions(const QList<SensitiveRegion>& regions);

Q_SIGNALS:
    void isDesktopShieldActiveChanged();
    void isNotificationGuardActiveChanged();
    void isOCRMaskingActiveChanged();
    void isPresentationModeChanged();
    void isVirtualCameraActiveChanged();
    void protectedWindowsChanged();
    void detectedSensitiveRegionsChanged();

private:
    bool m_isDesktopShieldActive = false;
    bool m_isNotificationGuardActive = false;
    bool m_isOCRMaskingActive = false;
    bool m_isPresentationMode = false;
    bool m_isVirtualCameraActive = false;
    QList<ProtectedWindow> m_protectedWindows;
    QList<SensitiveRegion> m_detectedSensitiveRegions;
};
