#include "LocalHttpServer.h"

#include <QTcpSocket>

#include <gtest/gtest.h>

LocalHttpServer::LocalHttpServer() {
    EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
    connect(&m_server, &QTcpServer::newConnection, this, &LocalHttpServer::onNewConnection);
}

LocalHttpServer::~LocalHttpServer() {
    // A connection still open when the server goes reports its end from the socket's destructor,
    // after this object's members are gone; its handlers must not run then.
    for (QTcpSocket* socket : m_server.findChildren<QTcpSocket*>()) {
        socket->disconnect(this);
    }
}

void LocalHttpServer::serve(const QString& path, Response response) {
    m_responses.insert(path, std::move(response));
}

QUrl LocalHttpServer::refusingURL(const QString& path) {
    QTcpServer closed;
    EXPECT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(closed.serverPort()).arg(path));
}

QUrl LocalHttpServer::url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void LocalHttpServer::onNewConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_pending.remove(socket);
            socket->deleteLater();
        });
    }
}

void LocalHttpServer::onReadyRead(QTcpSocket* socket) {
    QByteArray& pending = m_pending[socket];
    pending += socket->readAll();
    const qsizetype headEnd = pending.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        return;
    }
    const QByteArray head = pending.left(headEnd);
    pending.remove(0, headEnd + 4);
    m_requests.append(head);

    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    const QString path = QString::fromLatin1(requestLine.value(1));
    const Response response = m_responses.value(path, Response{404, "not here", true, false});
    if (response.neverAnswer) {
        return;
    }
    // Clients read the status code; the reason phrase is free text.
    QByteArray reply = "HTTP/1.1 " + QByteArray::number(response.status) + " Reason\r\n";
    const bool hasBody = response.status != 204 && response.status != 304;
    if (response.sendContentLength && hasBody) {
        reply += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    }
    reply += "Connection: close\r\n\r\n";
    if (hasBody) {
        reply += response.body;
    }
    socket->write(reply);
    socket->disconnectFromHost();
}
