#pragma once

#include <QObject>

#include <memory>

class QLocalServer;
class QLocalSocket;
class ScriptingService;

// Makes this process the one running instance for the user's session and display: it owns the
// bus name com.orvandel.Velarion when a session bus answers, and listens on the private local
// socket (InstanceChannel::socketPath) in every case, so that a later `velarion` finds it with or
// without a bus. A socket left behind by an instance that died is taken over. Requests are
// answered from serve() on; until then they wait in the queue. GUI thread only; releases the name
// and removes the socket when destroyed.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // False when another instance already holds the bus name or answers on the socket; this
    // process then holds neither. True with neither held when the session has no bus and no
    // private folder for the socket: nothing can tell, so the start goes on.
    bool claim();

    // Exports `service` on the bus and answers the socket's requests with it. It must outlive
    // this object.
    void serve(ScriptingService& service);

private:
    void acceptPending();
    void answer(QLocalSocket* socket);

    std::unique_ptr<QLocalServer> m_server;
    bool m_ownsBusName = false;
    ScriptingService* m_service = nullptr;
};
