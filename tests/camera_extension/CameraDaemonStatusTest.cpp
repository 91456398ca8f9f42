// The daemon's status file is believed only when it is ours: a file another account owns or can
// rewrite, or a pid that is not our daemon, never leads the installer to signal anything.

#include "DaemonTestSupport.h"
#include "shared/CameraDaemonStatus.h"
#include "shared/HandoffNamespace.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Writes a status file naming `pid` and holds its lock as a daemon would.
int plantLockedStatus(pid_t pid) {
    const std::string path = CameraDaemonStatus::path();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const std::string content = std::to_string(pid) + " 1.0.0 ready\n";
    EXPECT_EQ(::write(fd, content.data(), content.size()), ssize_t(content.size()));
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    return fd;
}

}  // namespace

TEST(CameraDaemonStatusTest, StatusIsBelievedOnlyFromOurFileNamingOurDaemon) {
    struct Case {
        const char* name;
        bool otherProgram;
        bool otherOwner;
        mode_t mode;
        bool believed;
    };
    const Case cases[] = {
        {"our daemon in our file", false, false, 0600, true},
        {"readable by others is fine", false, false, 0644, true},
        {"writable by others", false, false, 0666, false},
        {"another owner's file", false, true, 0600, false},
        {"a pid of another program", true, false, 0600, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.otherOwner && ::geteuid() != 0) {
            continue;  // only root can give a file away
        }
        HandoffNamespace ns;
        QTemporaryDir runtime;
        ScopedEnvironment environment;
        environment.set("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        QProcess daemon;  // a process whose executable is named like the daemon
        daemon.start(sleepNamedLikeTheDaemon(runtime.path()), {QStringLiteral("60")});
        ASSERT_TRUE(daemon.waitForStarted());
        const pid_t daemonPid = pid_t(daemon.processId());
        const int fd = plantLockedStatus(c.otherProgram ? ::getpid() : daemonPid);
        ASSERT_EQ(::fchmod(fd, c.mode), 0);
        if (c.otherOwner) {
            ASSERT_EQ(::fchown(fd, 65534, 65534), 0);
        }
        const auto running = CameraDaemonStatus::read();
        EXPECT_EQ(running.has_value(), c.believed);
        if (running) {
            EXPECT_EQ(running->pid, daemonPid);
            EXPECT_TRUE(running->ready);
        }
        // A daemon starting now takes no planted file over either.
        CameraDaemonStatus status;
        EXPECT_FALSE(status.acquire());
        ::close(fd);
        daemon.kill();
        daemon.waitForFinished();
    }
}

TEST(CameraDaemonStatusTest, WithoutARuntimeFolderAPrivateOneIsMadeAndAnOpenOneRefused) {
    HandoffNamespace ns;
    ScopedEnvironment environment;
    environment.unset("XDG_RUNTIME_DIR");
    const std::string path = CameraDaemonStatus::path();
    ASSERT_FALSE(path.empty());
    const QString folder = QFileInfo(QString::fromStdString(path)).absolutePath();
    struct stat info {};
    ASSERT_EQ(::stat(folder.toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, ::geteuid());
    {
        CameraDaemonStatus status;
        EXPECT_TRUE(status.acquire());  // no other daemon: the first one gets it
        status.publish("1.0.0", "1", true);
        ::unlink(path.c_str());
    }

    ASSERT_EQ(::chmod(folder.toLocal8Bit().constData(), 0755), 0);
    EXPECT_TRUE(CameraDaemonStatus::path().empty());
    CameraDaemonStatus status;
    EXPECT_FALSE(status.acquire());
    ::chmod(folder.toLocal8Bit().constData(), 0700);
}
