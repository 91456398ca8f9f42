#include "shell/dbus/ScriptingAdaptor.h"

#include "shell/InstanceChannel.h"
#include "shell/ScriptingService.h"

#include <QDBusConnection>
#include <QDBusMessage>

ScriptingAdaptor::ScriptingAdaptor(ScriptingService& service)
    : QDBusAbstractAdaptor(&service)
    , m_service(service) {
    connect(&m_service, &ScriptingService::propertyChanged, this, &ScriptingAdaptor::announce);
}

bool ScriptingAdaptor::value(const char* property) const {
    return m_service.properties().value(QString::fromLatin1(property)).toBool();
}

bool ScriptingAdaptor::presentationMode() const {
    return value("PresentationMode");
}
bool ScriptingAdaptor::desktopShield() const {
    return value("DesktopShield");
}
bool ScriptingAdaptor::notificationGuard() const {
    return value("NotificationGuard");
}
bool ScriptingAdaptor::broadcastCamera() const {
    return value("BroadcastCamera");
}
bool ScriptingAdaptor::privacyMask() const {
    return value("PrivacyMask");
}

void ScriptingAdaptor::ShowMainWindow() {
    m_service.showMainWindow();
}
void ScriptingAdaptor::Panic() {
    m_service.panic();
}
void ScriptingAdaptor::SetPresentationMode(bool on) {
    m_service.setPresentationMode(on);
}
void ScriptingAdaptor::SetDesktopShield(bool on) {
    m_service.setDesktopShield(on);
}
void ScriptingAdaptor::SetNotificationGuard(bool on) {
    m_service.setNotificationGuard(on);
}
void ScriptingAdaptor::SetBroadcastCamera(bool on) {
    m_service.setBroadcastCamera(on);
}
void ScriptingAdaptor::SetPrivacyMask(bool on) {
    m_service.setPrivacyMask(on);
}

void ScriptingAdaptor::announce(const QString& property, bool value) {
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(InstanceChannel::kObjectPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(InstanceChannel::kInterface) << QVariantMap{{property, value}}
           << QStringList{};
    QDBusConnection::sessionBus().send(signal);
}
