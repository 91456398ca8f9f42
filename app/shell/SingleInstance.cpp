#include "shell/SingleInstance.h"

#include "shell/InstanceChannel.h"
#include "shell/ScriptingService.h"
#include "shell/ShellLogging.h"
#include "shell/dbus/ScriptingAdaptor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

// A request is one short line; anything longer is not ours.
constexpr qint64 kMaxRequestBytes = 256;
constexpr int kProbeTimeoutMs = 1000;

bool answersOn(const QString& path) {
    QLocalSocket probe;
    probe.connectToServer(path);
    return probe.waitForConnected(kProbeTimeoutMs);
}

}  // namespace

SingleInstance::SingleInstance(QObject* parent)
    : QObject(parent)
    , m_server(std::make_unique<QLocalServer>()) {
    // No socket options: with them Qt renames a fresh socket over whatever holds the path, so
    // listening would succeed over a live instance. The folder is private to the user instead.
}

SingleInstance::~SingleInstance() {
    m_server->close();
    if (m_ownsBusName) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(QString::fromLatin1(InstanceChannel::kObjectPath));
        bus.unregisterService(QString::fromLatin1(InstanceChannel::kBusName));
    }
}

bool SingleInstance::claim() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            bus.interface()->registerService(QString::fromLatin1(InstanceChannel::kBusName),
                                             QDBusConnectionInterface::DontQueueService,
                                             QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
            return false;
        }
        m_ownsBusName = true;
    }
    const QString path = InstanceChannel::socketPath();
    if (path.isEmpty()) {
        qCWarning(lcApp) << "No private folder for the instance socket";
        return true;
    }
    if (!m_server->listen(path)) {
        if (answersOn(path)) {
            if (m_ownsBusName) {
                bus.unregisterService(QString::fromLatin1(InstanceChannel::kBusName));
                m_ownsBusName = false;
            }
            return false;
        }
        // Nobody answers: the socket of an instance that ended without removing it.
        QLocalServer::removeServer(path);
        if (!m_server->listen(path)) {
            qCWarning(lcApp) << "Cannot listen on" << path << m_server->errorString();
        }
    }
    return true;
}

void SingleInstance::serve(ScriptingService& service) {
    m_service = &service;
    if (m_ownsBusName) {
        new ScriptingAdaptor(service);
        QDBusConnection::sessionBus().registerObject(
            QString::fromLatin1(InstanceChannel::kObjectPath), &service,
            QDBusConnection::ExportAdaptors);
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::acceptPending);
    acceptPending();
}

void SingleInstance::acceptPending() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { answer(socket); });
        if (socket->bytesAvailable() > 0) {
            answer(socket);
        }
    }
}

void SingleInstance::answer(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxRequestBytes) {
            socket->write("error request too long\n");
            socket->disconnectFromServer();
        }
        return;
    }
    const QByteArray request = socket->readLine(kMaxRequestBytes + 1).trimmed();
    QByteArray reply = InstanceChannel::kOk;
    if (request == InstanceChannel::kShow) {
        m_service->showMainWindow();
    } else if (request == InstanceChannel::kPanic) {
        m_service->panic();
    } else if (request == InstanceChannel::kPresentationOn ||
               request == InstanceChannel::kPresentationOff) {
        m_service->setPresentationMode(request == InstanceChannel::kPresentationOn);
    } else if (request == InstanceChannel::kStatus) {
        reply = InstanceChannel::formatStatus(m_service->properties()).trimmed().toUtf8();
    } else {
        reply = "error unknown request";
    }
    socket->write(reply + '\n');
    socket->disconnectFromServer();
}
