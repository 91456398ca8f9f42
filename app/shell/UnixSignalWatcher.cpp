#include "shell/UnixSignalWatcher.h"

#include "shell/ShellLogging.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Written only by the handler, read only by the notifier: the handler must stay async-signal-safe.
int g_signalFds[2] = {-1, -1};

constexpr std::array kWatchedSignals{SIGTERM, SIGINT, SIGHUP};

void onSignal(int signalNumber) {
    const int savedErrno = errno;
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_signalFds[0], &byte, 1);
    errno = savedErrno;
}

}  // namespace

UnixSignalWatcher::UnixSignalWatcher(QObject* parent)
    : QObject(parent) {
    Q_ASSERT(g_signalFds[0] == -1);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalFds) != 0) {
        qCCritical(lcApp) << "Cannot watch termination signals:" << strerror(errno);
        return;
    }
    m_notifier = new QSocketNotifier(g_signalFds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignalWatcher::readSignal);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kWatchedSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
}

UnixSignalWatcher::~UnixSignalWatcher() {
    if (g_signalFds[0] == -1) {
        return;
    }
    for (const int signalNumber : kWatchedSignals) {
        ::signal(signalNumber, SIG_DFL);
    }
    delete m_notifier;
    ::close(g_signalFds[0]);
    ::close(g_signalFds[1]);
    g_signalFds[0] = g_signalFds[1] = -1;
}

void UnixSignalWatcher::readSignal() {
    char byte = 0;
    while (::read(g_signalFds[1], &byte, 1) == 1) {
        Q_EMIT terminationRequested(static_cast<unsigned char>(byte));
    }
}
