#include "capture/publisher/camera/DaemonExtensionActivator.h"

#include "capture/publisher/PublisherLogging.h"
#include "capture/publisher/camera/PipeWireInstruction.h"
#include "core/AppInfo.h"
#include "core/InstallLayout.h"
#include "core/TestHooks.h"
#include "shared/CameraDaemonStatus.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QProcess>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

namespace {

constexpr int kStopTimeoutMs = 5000;
constexpr int kPollMs = 50;

QString runtimeDir() {
    return qEnvironmentVariable("XDG_RUNTIME_DIR");
}

bool hasUserManager() {
    const QString runtime = runtimeDir();
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/systemd/private")) &&
           QFileInfo::exists(QStringLiteral("/usr/bin/systemd-run"));
}

constexpr char kUnitName[] = "velarion-camera-extension.service";
constexpr char kSystemctl[] = "/usr/bin/systemctl";
constexpr int kSystemctlTimeoutMs = 10'000;
// How often the wait for readiness asks the user manager whether the service failed.
constexpr int kUnitStatePollMs = 500;

QString systemctl(const QStringList& arguments, int* exitCode = nullptr) {
    QProcess process;
    process.start(QString::fromLatin1(kSystemctl),
                  QStringList{QStringLiteral("--user")} + arguments);
    const bool finished = process.waitForFinished(kSystemctlTimeoutMs);
    if (exitCode) {
        *exitCode =
            finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The user manager has loaded the service this copy installed (not another copy's, whose daemon
// would be of another build).
bool managerHasOurUnit() {
    const QString ours = InstallLayout::userUnit(QString::fromLatin1(kUnitName));
    if (!QFileInfo::exists(ours)) {
        return false;
    }
    const QString loaded =
        systemctl({QStringLiteral("show"), QStringLiteral("--property=FragmentPath"),
                   QStringLiteral("--value"), QString::fromLatin1(kUnitName)});
    return !loaded.isEmpty() &&
           QFileInfo(loaded).canonicalFilePath() == QFileInfo(ours).canonicalFilePath();
}

// The daemon and its arguments; a test names the loopback device on the command line, which
// reaches the daemon whichever way it is started (a user manager's environment is not ours).
QStringList daemonCommand(const QString& daemonPath) {
    QStringList command{daemonPath};
    if (const auto device = TestHooks::value(TestHooks::Hook::cameraLoopbackDevice)) {
        command << QStringLiteral("--v4l2-device") << *device;
    }
    return command;
}

bool isRunning(pid_t pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

}  // namespace

DaemonExtensionActivator::DaemonExtensionActivator(QString daemonPath, int readyTimeoutMs,
                                                   QObject* parent)
    : QObject(parent)
    , m_daemonPath(std::move(daemonPath))
    , m_readyTimeoutMs(readyTimeoutMs) {
    if (m_daemonPath.isEmpty()) {
        m_daemonPath = InstallLayout::privatePart(QStringLiteral("velarion-camera-extension"));
    }
}

bool DaemonExtensionActivator::isPipeWireRunning() {
    const QString remote = qEnvironmentVariable("PIPEWIRE_REMOTE", QStringLiteral("pipewire-0"));
    if (QDir::isAbsolutePath(remote)) {
        return QFileInfo::exists(remote);
    }
    QString folder = qEnvironmentVariable("PIPEWIRE_RUNTIME_DIR");
    if (folder.isEmpty()) {
        folder = runtimeDir();
    }
    return !folder.isEmpty() && QFileInfo::exists(folder + QLatin1Char('/') + remote);
}

bool DaemonExtensionActivator::isThisBuild(const CameraDaemonStatus::Running& running) {
    return running.ready && running.version == AppInfo::kVersion &&
           running.build == AppInfo::kBuildNumber;
}

bool DaemonExtensionActivator::isDaemonOfThisBuildRunning() {
    const auto running = CameraDaemonStatus::read();
    return running && isThisBuild(*running);
}

void DaemonExtensionActivator::submitActivationRequest(const QString&,
                                                       ActivationRequestDelegate& delegate) {
    // A delegate that is a QObject may be gone by the time the daemon is up.
    QPointer<QObject> guard(dynamic_cast<QObject*>(&delegate));
    const bool guarded = guard != nullptr;
    if (!QFileInfo(m_daemonPath).isExecutable()) {
        deliver({false, ENOENT,
                 QStringLiteral("The camera daemon %1 is not installed").arg(m_daemonPath)},
                &delegate);
        return;
    }
    if (!isPipeWireRunning()) {
        delegate.requestNeedsUserApproval(QStringView(kPipeWireNotRunningInstruction).toString());
        return;
    }
    qint64 previousPid = 0;
    if (const auto running = CameraDaemonStatus::read()) {
        previousPid = running->pid;
        // The answer is always "replace"; asking keeps the decision with the installer.
        if (delegate.actionForReplacingExtension(QString::fromStdString(running->version),
                                                 QString::fromLatin1(AppInfo::kVersion)) ==
            ActivationRequestDelegate::ReplacementAction::cancel) {
            delegate.requestDidFinish(ActivationRequestDelegate::Result::completed);
            return;
        }
        // Restarting a daemon of this very build would only take the camera away from a call in
        // progress: it is kept.
        if (isThisBuild(*running)) {
            qCInfo(lcSystemExtension, "Keeping the running camera daemon (pid %ld) of this build",
                   static_cast<long>(running->pid));
            delegate.requestDidFinish(ActivationRequestDelegate::Result::completed);
            return;
        }
    }
    // The result arrives through the queued call; the future itself is not needed.
    // The worker touches nothing of this object: the application may quit and destroy it while
    // the daemon is still coming up. The answer goes through the application object, which
    // outlives the activator, and is dropped once the activator is gone.
    QPointer<DaemonExtensionActivator> self(this);
    (void)QtConcurrent::run([self, daemonPath = m_daemonPath, readyTimeoutMs = m_readyTimeoutMs,
                             previousPid, delegate = &delegate, guard, guarded] {
        const Outcome outcome = replaceAndStart(daemonPath, readyTimeoutMs, previousPid);
        QObject* application = QCoreApplication::instance();
        if (!application) {
            return;
        }
        QMetaObject::invokeMethod(application, [self, outcome, delegate, guard, guarded] {
            if (self && (!guarded || guard)) {
                self->deliver(outcome, delegate);
            }
        });
    });
}

DaemonExtensionActivator::Outcome DaemonExtensionActivator::replaceAndStart(
    const QString& daemonPath, int readyTimeoutMs, qint64 previousPid) {
    const auto deadline = [](int ms) {
        return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    };
    if (previousPid > 0) {
        ::kill(pid_t(previousPid), SIGTERM);
        const auto stopBy = deadline(kStopTimeoutMs);
        while (CameraDaemonStatus::read() && std::chrono::steady_clock::now() < stopBy) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        }
        // Read again: the pid may have been reused by now, and only our daemon is killed.
        if (const auto still = CameraDaemonStatus::read(); still && still->pid == previousPid) {
            ::kill(pid_t(previousPid), SIGKILL);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }

    bool started = false;
    bool underOurUnit = false;
    if (hasUserManager() && managerHasOurUnit()) {
        // Enabled as well: the camera comes back at the next login without the application.
        int exitCode = -1;
        systemctl(
            {QStringLiteral("enable"), QStringLiteral("--now"), QString::fromLatin1(kUnitName)},
            &exitCode);
        started = underOurUnit = exitCode == 0;
    }
    if (!started && hasUserManager()) {
        const QString unit =
            QStringLiteral("velarion-camera-%1").arg(QCoreApplication::applicationPid());
        const QStringList arguments =
            QStringList{QStringLiteral("--user"), QStringLiteral("--collect"),
                        QStringLiteral("--quiet"), QStringLiteral("--unit=") + unit} +
            daemonCommand(daemonPath);
        started = QProcess::execute(QStringLiteral("/usr/bin/systemd-run"), arguments) == 0;
    }
    if (!started) {
        // A session of its own: the application's end (or its terminal's hang-up) leaves it alone.
        started =
            QProcess::startDetached(QStringLiteral("/usr/bin/setsid"), daemonCommand(daemonPath));
    }
    if (!started) {
        return {false, ECHILD, QStringLiteral("The camera daemon could not be started")};
    }

    const auto readyBy = deadline(readyTimeoutMs);
    auto askManagerAt = deadline(kUnitStatePollMs);
    while (std::chrono::steady_clock::now() < readyBy) {
        const auto running = CameraDaemonStatus::read();
        if (running && running->ready && running->pid != previousPid && isRunning(running->pid)) {
            return {true, 0, {}};
        }
        if (underOurUnit && std::chrono::steady_clock::now() >= askManagerAt) {
            askManagerAt = deadline(kUnitStatePollMs);
            if (systemctl({QStringLiteral("is-failed"), QString::fromLatin1(kUnitName)}) ==
                QLatin1String("failed")) {
                return {false, ECHILD,
                        QStringLiteral("The camera service failed to start (journalctl --user -u "
                                       "velarion-camera-extension)")};
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    return {false, ETIMEDOUT,
            QStringLiteral("The camera daemon did not bring up its camera in time")};
}

void DaemonExtensionActivator::deliver(const Outcome& outcome,
                                       ActivationRequestDelegate* delegate) {
    if (outcome.ok) {
        delegate->requestDidFinish(ActivationRequestDelegate::Result::completed);
    } else {
        delegate->requestDidFail(
            {QString::fromLatin1(kErrorDomain), outcome.code, outcome.description});
    }
}
