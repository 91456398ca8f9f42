#include "shell/RemoteInstance.h"

#include "shell/InstanceChannel.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QLocalSocket>

namespace RemoteInstance {
namespace {

constexpr int kCallTimeoutMs = 10'000;
constexpr int kConnectTimeoutMs = 2000;

QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(
        QString::fromLatin1(InstanceChannel::kBusName),
        QString::fromLatin1(InstanceChannel::kObjectPath), interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, kCallTimeoutMs);
}

Reply overBus(const QString& request) {
    const QString ours = QString::fromLatin1(InstanceChannel::kInterface);
    QDBusMessage answer;
    if (request == QLatin1String(InstanceChannel::kStatus)) {
        answer = call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"),
                      {ours});
        if (answer.type() == QDBusMessage::ReplyMessage) {
            const QDBusReply<QVariantMap> properties(answer);
            return {Reply::Outcome::ok, InstanceChannel::formatStatus(properties.value())};
        }
    } else if (request == QLatin1String(InstanceChannel::kShow)) {
        answer = call(ours, QStringLiteral("ShowMainWindow"), {});
    } else if (request == QLatin1String(InstanceChannel::kPanic)) {
        answer = call(ours, QStringLiteral("Panic"), {});
    } else if (request == QLatin1String(InstanceChannel::kPresentationOn) ||
               request == QLatin1String(InstanceChannel::kPresentationOff)) {
        answer = call(ours, QStringLiteral("SetPresentationMode"),
                      {request == QLatin1String(InstanceChannel::kPresentationOn)});
    } else {
        return {Reply::Outcome::failed, QStringLiteral("unknown request")};
    }
    if (answer.type() == QDBusMessage::ErrorMessage) {
        return {Reply::Outcome::failed, answer.errorMessage()};
    }
    return {Reply::Outcome::ok, {}};
}

Reply overSocket(const QString& request) {
    const QString path = InstanceChannel::socketPath();
    if (path.isEmpty()) {
        return {};
    }
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return {};
    }
    socket.write(request.toUtf8() + '\n');
    QByteArray answer;
    // The instance closes the connection once it has answered.
    while (socket.state() == QLocalSocket::ConnectedState &&
           socket.waitForReadyRead(kCallTimeoutMs)) {
        answer += socket.readAll();
    }
    answer += socket.readAll();
    const QString text = QString::fromUtf8(answer).trimmed();
    if (text.isEmpty()) {
        return {Reply::Outcome::failed, QStringLiteral("the running instance did not answer")};
    }
    if (text.startsWith(QLatin1String("error "))) {
        return {Reply::Outcome::failed, text.mid(6)};
    }
    const bool isStatus = request == QLatin1String(InstanceChannel::kStatus);
    return {Reply::Outcome::ok, isStatus ? text + QLatin1Char('\n') : QString()};
}

}  // namespace

Reply send(const QString& request) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() &&
        bus.interface()->isServiceRegistered(QString::fromLatin1(InstanceChannel::kBusName))) {
        return overBus(request);
    }
    return overSocket(request);
}

}  // namespace RemoteInstance
