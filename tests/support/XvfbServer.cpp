#include "support/XvfbServer.h"

#include "support/WaitFor.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kStartTimeoutMs = 10'000;

// Spawns `argv` (argv[0] looked up on PATH) with `environment`; inherited fds stay open.
pid_t spawn(const QStringList& argv, const QStringList& environment) {
    std::vector<QByteArray> argStorage;
    std::vector<char*> args;
    for (const QString& arg : argv) {
        argStorage.push_back(arg.toLocal8Bit());
    }
    for (QByteArray& arg : argStorage) {
        args.push_back(arg.data());
    }
    args.push_back(nullptr);

    std::vector<QByteArray> envStorage;
    std::vector<char*> env;
    for (const QString& entry : environment) {
        envStorage.push_back(entry.toLocal8Bit());
    }
    for (QByteArray& entry : envStorage) {
        env.push_back(entry.data());
    }
    env.push_back(nullptr);

    pid_t pid = -1;
    if (::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), env.data()) != 0) {
        return -1;
    }
    return pid;
}

void endProcess(pid_t pid) {
    // Nothing to do for a process that already ended (reaped or a zombie, reaped here).
    if (pid <= 0 || ::waitpid(pid, nullptr, WNOHANG) != 0) {
        return;
    }
    ::kill(pid, SIGTERM);
    const QDeadlineTimer deadline(2000);
    while (!deadline.hasExpired()) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            return;
        }
        QThread::msleep(10);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

QStringList environmentWithDisplay(const QString& display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env.toStringList();
}

}  // namespace

XvfbServer::XvfbServer()
    : XvfbServer(Options{}) {}

XvfbServer::XvfbServer(const Options& options) {
    if (!startServer(options)) {
        return;
    }
    if (options.windowManager) {
        if (startClient(QStringLiteral("openbox"), {}) < 0 || !waitForWindowManager()) {
            m_error = QStringLiteral("openbox did not start on %1").arg(m_display);
            return;
        }
    }
    if (options.trayHost) {
        const QStringList trayerArgs{QStringLiteral("--edge"),        QStringLiteral("top"),
                                     QStringLiteral("--align"),       QStringLiteral("right"),
                                     QStringLiteral("--widthtype"),   QStringLiteral("request"),
                                     QStringLiteral("--height"),      QStringLiteral("32"),
                                     QStringLiteral("--SetDockType"), QStringLiteral("true")};
        if (startClient(QStringLiteral("trayer"), trayerArgs) < 0 || !waitForTray()) {
            m_error = QStringLiteral("trayer did not start on %1").arg(m_display);
        }
    }
}

XvfbServer::~XvfbServer() {
    for (auto it = m_clients.rbegin(); it != m_clients.rend(); ++it) {
        endProcess(*it);
    }
    endProcess(m_serverPid);
}

bool XvfbServer::startServer(const Options& options) {
    // Xvfb may report a display number and then lose it to another server that is taking the
    // same number's lock file at that moment (it exits with "server already running"): try again
    // until our own server is the one answering.
    constexpr int kAttempts = 5;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (!launchServer(options)) {
            return false;
        }
        if (serverAnswers()) {
            return true;
        }
        endProcess(m_serverPid);
        m_serverPid = -1;
    }
    m_error = QStringLiteral("Xvfb exited right after starting, %1 times").arg(kAttempts);
    return false;
}

bool XvfbServer::serverAnswers() const {
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        if (::waitpid(m_serverPid, nullptr, WNOHANG) == m_serverPid) {
            return false;
        }
        if (!runClient(QStringLiteral("xdpyinfo"), {}).isEmpty()) {
            // Answered; make sure it was our server and not one that took the number over.
            QThread::msleep(50);
            return ::waitpid(m_serverPid, nullptr, WNOHANG) == 0;
        }
        QThread::msleep(20);
    }
    return false;
}

bool XvfbServer::launchServer(const Options& options) {
    int fds[2];
    if (::pipe(fds) != 0) {
        m_error = QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    // Only the write end is inherited: Xvfb writes the display number it chose there once it
    // accepts connections.
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    const QString screen = QStringLiteral("%1x%2x24").arg(options.width).arg(options.height);
    m_serverPid =
        spawn({QStringLiteral("Xvfb"), QStringLiteral("-displayfd"), QString::number(fds[1]),
               QStringLiteral("-screen"), QStringLiteral("0"), screen, QStringLiteral("+extension"),
               QStringLiteral("Composite"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
               // Tests connect and disconnect many short clients; a reset in between would
               // drop state (grabs, properties) that the next client expects.
               QStringLiteral("-noreset")},
              QProcessEnvironment::systemEnvironment().toStringList());
    ::close(fds[1]);
    if (m_serverPid < 0) {
        ::close(fds[0]);
        m_error = QStringLiteral("Xvfb could not be started (is the xvfb package installed?)");
        return false;
    }

    QByteArray number;
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!number.endsWith('\n') && !deadline.hasExpired()) {
        pollfd pfd{fds[0], POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(deadline.remainingTime())) <= 0) {
            break;
        }
        char buffer[16];
        const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        number.append(buffer, got);
    }
    ::close(fds[0]);
    if (!number.endsWith('\n')) {
        m_error = QStringLiteral("Xvfb did not report a display within %1 ms").arg(kStartTimeoutMs);
        return false;
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    return true;
}

pid_t XvfbServer::startClient(const QString& program, const QStringList& arguments) {
    if (m_serverPid <= 0) {
        return -1;
    }
    const pid_t pid = spawn(QStringList{program} + arguments, environmentWithDisplay(m_display));
    if (pid > 0) {
        m_clients.push_back(pid);
    }
    return pid;
}

void XvfbServer::stopClient(pid_t pid) {
    const auto it = std::find(m_clients.begin(), m_clients.end(), pid);
    if (it == m_clients.end()) {
        return;
    }
    m_clients.erase(it);
    endProcess(pid);
}

QString XvfbServer::runClient(const QString& program, const QStringList& arguments) const {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(kStartTimeoutMs) || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

bool XvfbServer::waitForWindowManager() {
    return waitFor(
        [this] {
            // The check window appears as the manager takes the screen; the work area only once
            // it has set up its desktops. A window mapped in between may never be shown.
            const QString out =
                runClient(QStringLiteral("xprop"),
                          {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK"),
                           QStringLiteral("_NET_WORKAREA")});
            return out.contains(QLatin1String("window id")) &&
                   out.contains(QLatin1String("_NET_WORKAREA(CARDINAL)"));
        },
        kStartTimeoutMs);
}

bool XvfbServer::waitForTray() {
    // trayer takes the system-tray selection as it maps its panel, so its window is the sign.
    return waitFor(
        [this] {
            return !runClient(QStringLiteral("xdotool"),
                              {QStringLiteral("search"), QStringLiteral("--class"),
                               QStringLiteral("trayer")})
                        .trimmed()
                        .isEmpty();
        },
        kStartTimeoutMs);
}
