#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// A small HTTP/1.1 server on the loopback interface, run by the test's own event loop. Each path
// answers with a fixed response; unknown paths get 404.
class LocalHttpServer final : public QObject {
    Q_OBJECT

public:
    struct Response {
        int status = 200;
        QByteArray body;
        bool sendContentLength = true;  // without it the body ends when the connection closes
        bool neverAnswer = false;       // read the request, then stay silent
    };

    LocalHttpServer();
    ~LocalHttpServer() override;

    void serve(const QString& path, Response response);
    QUrl url(const QString& path) const;
    // An address on a loopback port nothing listens on any more: connecting is refused.
    static QUrl refusingURL(const QString& path);
    // The request heads received so far, in order.
    QList<QByteArray> requests() const { return m_requests; }

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);

    QTcpServer m_server;
    QHash<QString, Response> m_responses;
    QHash<QTcpSocket*, QByteArray> m_pending;
    QList<QByteArray> m_requests;
};
