#include "DaemonTestSupport.h"
#include "PipeWireSession.h"
#include "shared/HandoffNamespace.h"

#include "capture/publisher/SystemExtensionInstaller.h"
#include "capture/publisher/camera/DaemonExtensionActivator.h"
#include "shared/CameraDaemonStatus.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <csignal>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

using Kind = SystemExtensionInstaller::State::Kind;

const auto kSessionVariables = {"XDG_RUNTIME_DIR", "PIPEWIRE_RUNTIME_DIR", "XDG_STATE_HOME",
                                "XDG_CONFIG_HOME", "DBUS_SESSION_BUS_ADDRESS"};

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
    // The outcome comes as a queued call.
    return waitProcessingEvents([&] { return installer.state().kind != Kind::requesting; }, 60'000);
}

// Alive and not a zombie: a detached daemon's parent may be a reaper-less init here.
bool isLive(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    const qsizetype close = line.lastIndexOf(')');
    return close > 0 && line.size() > close + 2 && line[close + 2] != 'Z';
}

// This process in a private PipeWire session, as the application would be; the daemon it starts
// is ended with the test.
class DaemonExtensionActivatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_session.isReady());
        for (const char* name : kSessionVariables) {
            m_environment.set(name, m_session.environment().value(QLatin1String(name)).toUtf8());
        }
    }

    HandoffNamespace m_namespace;
    PipeWireSession m_session{m_namespace.folder()};
    ScopedEnvironment m_environment;
    DaemonReaper m_reaper;
};

}  // namespace

TEST_F(DaemonExtensionActivatorTest, StartsTheDaemonDetachedEvenIfDestroyedMeanwhileAndKeepsIt) {
    EXPECT_FALSE(DaemonExtensionActivator::isDaemonOfThisBuildRunning());
    {
        auto activator = std::make_unique<DaemonExtensionActivator>(QStringLiteral(CAMERA_DAEMON));
        SystemExtensionInstaller installer(*activator);
        installer.activateExtension();
        ASSERT_EQ(installer.state().kind, Kind::requesting);
        activator.reset();  // the application quits while the daemon comes up

        // The worker finishes its wait for the daemon and posts its answer, which must be dropped.
        ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(60000));
        QCoreApplication::processEvents();
        EXPECT_EQ(installer.state().kind, Kind::requesting);
    }
    const auto first = CameraDaemonStatus::read();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->ready);
    EXPECT_EQ(first->version, VELARION_VERSION);
    EXPECT_TRUE(DaemonExtensionActivator::isDaemonOfThisBuildRunning());

    // Same version and build: restarting would drop the camera from a call in progress.
    DaemonExtensionActivator activator(QStringLiteral(CAMERA_DAEMON));
    SystemExtensionInstaller installer(activator);
    installer.activateExtension();
    ASSERT_TRUE(waitForSettled(installer));
    EXPECT_EQ(installer.state().kind, Kind::active) << installer.lastMessage().toStdString();
    const auto second = CameraDaemonStatus::read();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->pid, first->pid);
    EXPECT_TRUE(isLive(first->pid));
}

TEST_F(DaemonExtensionActivatorTest, ReplacesADaemonOfAnotherVersion) {
    // An older daemon: a process by the daemon's name holding a status of another version.
    QTemporaryDir bin;
    const QString oldDaemon = sleepNamedLikeTheDaemon(bin.path());
    ASSERT_FALSE(oldDaemon.isEmpty());
    // flock holds the status lock for it, as the daemon's own lock would, until it ends.
    const std::string statusPath = CameraDaemonStatus::path();
    const int fd = ::open(statusPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    QProcess old;
    old.start(QStringLiteral("/usr/bin/flock"),
              {QStringLiteral("-x"), QString::fromStdString(statusPath), oldDaemon,
               QStringLiteral("120")});
    ASSERT_TRUE(old.waitForStarted());
    QByteArray child;
    ASSERT_TRUE(waitFor([&] {
        QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(old.processId()));
        child = children.open(QIODevice::ReadOnly) ? children.readAll().trimmed() : QByteArray();
        return !child.isEmpty() && CameraDaemonStatus::isCameraDaemonProcess(child.toInt());
    }));
    const std::string content = child.toStdString() + " 0.9.0 ready 1\n";
    ASSERT_EQ(::pwrite(fd, content.data(), content.size(), 0), ssize_t(content.size()));
    ::close(fd);
    ASSERT_TRUE(waitFor([] { return CameraDaemonStatus::read().has_value(); }));
    EXPECT_FALSE(DaemonExtensionActivator::isDaemonOfThisBuildRunning());

    DaemonExtensionActivator activator(QStringLiteral(CAMERA_DAEMON));
    SystemExtensionInstaller installer(activator);
    installer.activateExtension();
    // The old one is told to stop; it lets go of the status as it ends.
    ASSERT_TRUE(old.waitForFinished(10000));
    ASSERT_TRUE(waitForSettled(installer));
    EXPECT_EQ(installer.state().kind, Kind::active) << installer.lastMessage().toStdString();
    const auto now = CameraDaemonStatus::read();
    ASSERT_TRUE(now);
    EXPECT_EQ(now->version, VELARION_VERSION);
    EXPECT_NE(now->pid, child.toInt());
}

TEST(DaemonExtensionActivator, AsksTheUserToActWithoutPipeWireAndFailsWithoutTheDaemon) {
    HandoffNamespace ns;
    QTemporaryDir emptyRuntime;
    ScopedEnvironment environment;
    environment.set("PIPEWIRE_RUNTIME_DIR", QFile::encodeName(emptyRuntime.path()));

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
