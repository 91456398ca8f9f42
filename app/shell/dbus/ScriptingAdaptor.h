#pragma once

#include <QDBusAbstractAdaptor>

class ScriptingService;

// The scriptable interface "com.orvandel.Velarion" on the session bus: one method per verb of
// ScriptingService and its switches as read-only properties. Changes go out as the standard
// org.freedesktop.DBus.Properties.PropertiesChanged signal with the new value, whichever path
// made them. The adaptor is a child of the service it exports (Qt's adaptor contract).
class ScriptingAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.orvandel.Velarion")
    Q_PROPERTY(bool PresentationMode READ presentationMode)
    Q_PROPERTY(bool DesktopShield READ desktopShield)
    Q_PROPERTY(bool NotificationGuard READ notificationGuard)
    Q_PROPERTY(bool BroadcastCamera READ broadcastCamera)
    Q_PROPERTY(bool PrivacyMask READ privacyMask)

public:
    explicit ScriptingAdaptor(ScriptingService& service);

    bool presentationMode() const;
    bool desktopShield() const;
    bool notificationGuard() const;
    bool broadcastCamera() const;
    bool privacyMask() const;

public Q_SLOTS:
    void ShowMainWindow();
    void Panic();
    void SetPresentationMode(bool on);
    void SetDesktopShield(bool on);
    void SetNotificationGuard(bool on);
    void SetBroadcastCamera(bool on);
    void SetPrivacyMask(bool on);

private:
    bool value(const char* property) const;
    void announce(const QString& property, bool value);

    ScriptingService& m_service;
};
