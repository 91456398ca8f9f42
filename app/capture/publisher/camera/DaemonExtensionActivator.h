#pragma once

#include "capture/publisher/ExtensionActivator.h"
#include "shared/CameraDaemonStatus.h"

#include <QObject>
#include <QPointer>
#include <QString>

// Activates the camera daemon `velarion-camera-extension` of this copy (InstallLayout): asks
// a running one for its version (a daemon of this very build that is up is kept; any other is
// replaced), ends it, starts the new one detached from
// the application (this copy's user service, enabled, when the user manager has loaded it; else a
// transient user unit when a user manager runs; else a session of its own) so
// that it outlives the application, and waits for its camera node to be up. The waiting happens on
// a worker thread; the delegate is called on the GUI thread.
class DaemonExtensionActivator final : public QObject, public ExtensionActivator {
    Q_OBJECT

public:
    static constexpr char kErrorDomain[] = "com.orvandel.Velarion.CameraDaemon";

    // `daemonPath` empty: this copy's daemon.
    explicit DaemonExtensionActivator(QString daemonPath = {}, int readyTimeoutMs = 15000,
                                      QObject* parent = nullptr);

    void submitActivationRequest(const QString& extensionIdentifier,
                                 ActivationRequestDelegate& delegate) override;

    // Whether a PipeWire daemon listens for this session.
    static bool isPipeWireRunning();
    // Our daemon of this version and build runs with its camera up: an activation keeps it.
    static bool isDaemonOfThisBuildRunning();

private:
    static bool isThisBuild(const CameraDaemonStatus::Running& running);
    struct Outcome {
        bool ok = false;
        long code = 0;
        QString description;
    };
    // Runs on a worker thread, on copies only.
    static Outcome replaceAndStart(const QString& daemonPath, int readyTimeoutMs,
                                   qint64 previousPid);
    void deliver(const Outcome& outcome, ActivationRequestDelegate* delegate);

    QString m_daemonPath;
    int m_readyTimeoutMs;
};
