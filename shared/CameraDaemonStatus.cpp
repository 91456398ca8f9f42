#include "shared/CameraDaemonStatus.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kDaemonExecutable[] = "velarion-camera-extension";

// Without a runtime folder from the session, a folder of our own in /tmp: created 0700, and used
// only while it is a real directory of this user that nobody else can enter. Empty otherwise.
std::string runtimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        return runtime;
    }
    const std::string folder = "/tmp/velarion-runtime-" + std::to_string(::geteuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid() || (info.st_mode & 077) != 0) {
        return {};
    }
    return folder;
}

// A status file anyone else wrote, or could rewrite, says nothing about our daemon.
bool isTrustedFile(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & 022) == 0;
}

}  // namespace

std::string CameraDaemonStatus::path() {
    const std::string folder = runtimeFolder();
    if (folder.empty()) {
        return {};
    }
    // The folder already belongs to one session; a fixed name lets a daemon of an earlier build,
    // whatever its shared-memory names, be found and replaced.
    return folder + "/velarion-camera-extension.status";
}

bool CameraDaemonStatus::isCameraDaemonProcess(pid_t pid) {
    if (pid <= 0) {
        return false;
    }
    const std::string proc = "/proc/" + std::to_string(pid);
    struct stat info {};
    if (::stat(proc.c_str(), &info) != 0 || info.st_uid != ::geteuid()) {
        return false;
    }
    char target[PATH_MAX] = {};
    const ssize_t size = ::readlink((proc + "/exe").c_str(), target, sizeof target - 1);
    if (size <= 0) {
        return false;
    }
    std::string executable(target, std::size_t(size));
    // A daemon whose binary was replaced by a newer build still counts.
    const std::string deleted = " (deleted)";
    if (executable.size() > deleted.size() &&
        executable.compare(executable.size() - deleted.size(), deleted.size(), deleted) == 0) {
        executable.resize(executable.size() - deleted.size());
    }
    const std::size_t slash = executable.rfind('/');
    return executable.substr(slash == std::string::npos ? 0 : slash + 1) == kDaemonExecutable;
}

CameraDaemonStatus::~CameraDaemonStatus() {
    if (m_fd >= 0) {
        ::close(m_fd);  // drops the lock
    }
}

bool CameraDaemonStatus::acquire() {
    const std::string file = path();
    if (file.empty()) {
        return false;
    }
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return false;
    }
    if (!isTrustedFile(fd)) {
        ::close(fd);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void CameraDaemonStatus::publish(const std::string& version, const std::string& build, bool ready) {
    if (m_fd < 0) {
        return;
    }
    const std::string content = std::to_string(::getpid()) + " " + version + " " +
                                (ready ? "ready" : "starting") + " " + build + "\n";
    if (::ftruncate(m_fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(m_fd, content.data(), content.size(), 0);
    }
}

std::optional<CameraDaemonStatus::Running> CameraDaemonStatus::read() {
    const std::string file = path();
    if (file.empty()) {
        return std::nullopt;
    }
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return std::nullopt;
    }
    if (!isTrustedFile(fd)) {
        ::close(fd);
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
    words >> running.pid >> running.version >> state >> running.build;
    running.ready = state == "ready";
    // The pid is signalled by the installer: it must be our daemon, not whatever holds it now.
    if (running.pid != 0 && !isCameraDaemonProcess(running.pid)) {
        return std::nullopt;
    }
    return running;
}
