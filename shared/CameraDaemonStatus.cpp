#include "shared/CameraDaemonStatus.h"

#include "shared/FrameHandoff.h"

#include <cstdlib>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

std::string CameraDaemonStatus::path() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder =
        runtime && *runtime ? std::string(runtime) : "/tmp/" + std::to_string(::geteuid());
    return folder + "/" + FrameHandoff::shmNamespace() + "-camera-extension.status";
}

CameraDaemonStatus::~CameraDaemonStatus() {
    if (m_fd >= 0) {
        ::close(m_fd);  // drops the lock
    }
}

bool CameraDaemonStatus::acquire() {
    const int fd = ::open(path().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void CameraDaemonStatus::publish(const std::string& version, bool ready) {
    if (m_fd < 0) {
        return;
    }
    const std::string content =
        std::to_string(::getpid()) + " " + version + " " + (ready ? "ready" : "starting") + "\n";
    if (::ftruncate(m_fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(m_fd, content.data(), content.size(), 0);
    }
}

std::optional<CameraDaemonStatus::Running> CameraDaemonStatus::read() {
    const int fd = ::open(path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return std::nullopt;
    }
    // A shared lock is granted only when no daemon holds its exclusive one.
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
        ::close(fd);
        return std::nullopt;
    }
    char buffer[256] = {};
    const ssize_t size = ::pread(fd, buffer, sizeof buffer - 1, 0);
    ::close(fd);
    if (size <= 0) {
        return Running{};
    }
    std::istringstream words(std::string(buffer, std::size_t(size)));
    Running running;
    std::string state;
    words >> running.pid >> running.version >> state;
    running.ready = state == "ready";
    return running;
}
