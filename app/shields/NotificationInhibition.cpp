#include "shields/NotificationInhibition.h"

#include "core/AppInfo.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QUuid>
#include <QVariantMap>

namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr char kInterface[] = "org.freedesktop.Notifications";

QString errorText(const QDBusMessage& reply) {
    return reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
}

}  // namespace

NotificationInhibition::NotificationInhibition(QString busAddress)
    : m_busAddress(std::move(busAddress))
    , m_connectionName(QStringLiteral("velarion-inhibition-") +
                       QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

NotificationInhibition::~NotificationInhibition() {
    (void)release();
    if (!m_busAddress.isEmpty()) {
        QDBusConnection::disconnectFromBus(m_connectionName);
    }
}

bool NotificationInhibition::isHeld() const {
    const std::lock_guard lock(m_mutex);
    return m_cookie.has_value();
}

Outcome NotificationInhibition::hold() {
    const std::lock_guard lock(m_mutex);
    if (m_cookie) {
        return Outcome::success();
    }
    QDBusConnection bus = m_busAddress.isEmpty()
                              ? QDBusConnection::sessionBus()
                              : QDBusConnection::connectToBus(m_busAddress, m_connectionName);
    if (!bus.isConnected()) {
        return Outcome::failure(bus.lastError().name() + QStringLiteral(": ") +
                                bus.lastError().message());
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       QString::fromLatin1(kInterface), QStringLiteral("Inhibit"));
    call << QStringLiteral("velarion")
         << QStringLiteral("Presenting with %1").arg(AppInfo::kProductName) << QVariantMap{};
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        return Outcome::failure(errorText(reply));
    }
    if (reply.arguments().size() != 1 || !reply.arguments().first().canConvert<quint32>()) {
        return Outcome::failure(QStringLiteral("Inhibit returned no cookie"));
    }
    m_cookie = reply.arguments().first().value<quint32>();
    return Outcome::success();
}

Outcome NotificationInhibition::release() {
    const std::lock_guard lock(m_mutex);
    if (!m_cookie) {
        return Outcome::success();
    }
    QDBusConnection bus =
        m_busAddress.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(m_connectionName);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
        QStringLiteral("UnInhibit"));
    call << *m_cookie;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        return Outcome::failure(errorText(reply));
    }
    m_cookie.reset();
    return Outcome::success();
}
