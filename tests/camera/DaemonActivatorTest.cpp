#include "PipeWireSession.h"
#include "handoff/HandoffNamespace.h"

#include "capture/SystemExtensionInstaller.h"
#include "capture/camera/DaemonExtensionActivator.h"
#include "shared/CameraDaemonStatus.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <csignal>

namespace {

using Kind = SystemExtensionInstaller::State::Kind;

// Points this process at the folders `session` names while the test runs.
class SessionEnvironment {
public:
    explicit SessionEnvironment(const QProcessEnvironment& session) {
        for (const char* name : {"XDG_RUNTIME_DIR", "PIPEWIRE_RUNTIME_DIR", "XDG_STATE_HOME",
                                 "XDG_CONFIG_HOME", "DBUS_SESSION_BUS_ADDRESS"}) {
            if (!session.contains(QString::fromLatin1(name))) {
                continue;
            }
            m_saved.emplace_back(name, qgetenv(name));
            qputenv(name, session.value(QString::fromLatin1(name)).toUtf8());
        }
    }
    ~SessionEnvironment() {
        for (const auto& [name, value] : m_saved) {
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
        }
    }

private:
    std::vector<std::pair<const char*, QByteArray>> m_saved;
};

// The daemon runs detached, outside the session's processes: it is ended here, whatever the test
// found.
struct DaemonReaper {
    ~DaemonReaper() {
        if (const auto running = CameraDaemonStatus::read()) {
            ::kill(pid_t(running->pid), SIGTERM);
            waitFor([] { return !CameraDaemonStatus::read(); });
        }
    }
};

bool waitForSettled(SystemExtensionInstaller& installer) {
    return waitFor(
        [&] {
            QCoreApplication::processEvents();  // the outcome comes as a queued call
            return installer.state().kind != Kind::requesting;
        },
        60000);
}

// Alive and not a zombie: a detached daemon's parent may be a reaper-less init here.
bool isLive(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    const qsizetype close = line.lastIndexOf(')');
    return close > 0 && line.size() > close + 2 && line[close + 2] != 'Z';
}

}  // namespace

TEST(DaemonExtensionActivator, StartsTheDaemonDetachedAndReplacesARunningOne) {
    HandoffNamespace ns;
    PipeWireSession session;
    ASSERT_TRUE(session.isReady());
    SessionEnvironment environment(session.environment());
    DaemonReaper reaper;

    DaemonExtensionActivator activator(QStringLiteral(CAMERA_DAEMON));
    SystemExtensionInstaller installer(activator);
    installer.activateExtension();
    ASSERT_TRUE(waitForSettled(installer));
    EXPECT_EQ(installer.state().kind, Kind::active) << installer.lastMessage().toStdString();
    const auto first = CameraDaemonStatus::read();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->ready);
    EXPECT_EQ(first->version, VELARION_VERSION);

    installer.activateExtension();  // same version: replaced all the same
    ASSERT_TRUE(waitForSettled(installer));
    EXPECT_EQ(installer.state().kind, Kind::active) << installer.lastMessage().toStdString();
    const auto second = CameraDaemonStatus::read();
    ASSERT_TRUE(second);
    EXPECT_NE(second->pid, first->pid);
    // Its status goes before the process does.
    EXPECT_TRUE(waitFor([&] { return !isLive(first->pid); })) << "the replaced daemon is gone";
}

TEST(DaemonExtensionActivator, AsksTheUserToActWithoutPipeWireAndFailsWithoutTheDaemon) {
    HandoffNamespace ns;
    QTemporaryDir emptyRuntime;
    QProcessEnvironment noPipeWire;
    noPipeWire.insert(QStringLiteral("PIPEWIRE_RUNTIME_DIR"), emptyRuntime.path());
    SessionEnvironment environment(noPipeWire);

    DaemonExtensionActivator activator(QStringLiteral(CAMERA_DAEMON));
    SystemExtensionInstaller installer(activator);
    installer.activateExtension();
    EXPECT_EQ(installer.state().kind, Kind::needsApproval);
    EXPECT_TRUE(installer.lastMessage().contains(QStringLiteral("PipeWire")));

    DaemonExtensionActivator missing(emptyRuntime.filePath(QStringLiteral("no-such-daemon")));
    SystemExtensionInstaller failing(missing);
    failing.activateExtension();
    EXPECT_EQ(failing.state().kind, Kind::failed);
    EXPECT_TRUE(failing.lastMessage().startsWith(QStringLiteral("Installation failed (code 2): ")))
        << failing.lastMessage().toStdString();
}

TEST(DaemonExtensionActivator, DestroyedWhileActivatingIsNeverCalledIntoAgain) {
    HandoffNamespace ns;
    PipeWireSession session;
    ASSERT_TRUE(session.isReady());
    SessionEnvironment environment(session.environment());
    DaemonReaper reaper;

    auto activator = std::make_unique<DaemonExtensionActivator>(QStringLiteral(CAMERA_DAEMON));
    SystemExtensionInstaller installer(*activator);
    installer.activateExtension();
    ASSERT_EQ(installer.state().kind, Kind::requesting);
    activator.reset();  // the application quits while the daemon comes up

    // The worker finishes its wait for the daemon and posts its answer, which must be dropped.
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(60000));
    QCoreApplication::processEvents();
    EXPECT_EQ(installer.state().kind, Kind::requesting);
    const auto running = CameraDaemonStatus::read();
    ASSERT_TRUE(running);
    EXPECT_TRUE(running->ready);
}
