#include "PipeWireSession.h"
#include "handoff/HandoffNamespace.h"

#include "capture/SystemExtensionInstaller.h"
#include "capture/camera/DaemonExtensionActivator.h"
#include "shared/CameraDaemonStatus.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

using Kind = SystemExtensionInstaller::State::Kind;

// Points this process at the private session while the test runs.
class SessionEnvironment {
public:
    explicit SessionEnvironment(const QProcessEnvironment& environment) {
        for (const char* name : {"XDG_RUNTIME_DIR", "PIPEWIRE_RUNTIME_DIR", "XDG_STATE_HOME",
                                 "XDG_CONFIG_HOME", "DBUS_SESSION_BUS_ADDRESS"}) {
            m_saved.emplace_back(name, qgetenv(name));
            qputenv(name, environment.value(QString::fromLatin1(name)).toUtf8());
        }
    }
    ~SessionEnvironment() {
        for (const auto& [name, value] : m_saved) {
            if (value.isEmpty()) {
                qunsetenv(name);
            } else {
                qputenv(name, value);
            }
        }
    }

private:
    std::vector<std::pair<const char*, QByteArray>> m_saved;
};

bool waitForSettled(SystemExtensionInstaller& installer) {
    return PipeWireSession::waitFor([&] { return installer.state().kind != Kind::requesting; },
                                    60000);
}

// Alive and not a zombie: a detached daemon's parent may be a reaper-less init here.
bool isLive(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray line = stat.readAll();
    const int close = line.lastIndexOf(')');
    return close > 0 && line.size() > close + 2 && line[close + 2] != 'Z';
}

void endDaemon() {
    if (const auto running = CameraDaemonStatus::read()) {
        ::kill(running->pid, SIGTERM);
        PipeWireSession::waitFor([] { return !CameraDaemonStatus::read(); }, 10000);
    }
}

}  // namespace

TEST(DaemonExtensionActivator, StartsTheDaemonDetachedAndReplacesARunningOne) {
    HandoffNamespace ns;
    PipeWireSession session;
    ASSERT_TRUE(session.isReady());
    SessionEnvironment environment(session.environment());

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
    EXPECT_FALSE(isLive(first->pid)) << "the replaced daemon is gone";
    endDaemon();
}

TEST(DaemonExtensionActivator, AsksTheUserToActWithoutPipeWireAndFailsWithoutTheDaemon) {
    HandoffNamespace ns;
    QTemporaryDir emptyRuntime;
    const QByteArray savedRuntime = qgetenv("PIPEWIRE_RUNTIME_DIR");
    qputenv("PIPEWIRE_RUNTIME_DIR", emptyRuntime.path().toUtf8());

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
    qputenv("PIPEWIRE_RUNTIME_DIR", savedRuntime);
}
