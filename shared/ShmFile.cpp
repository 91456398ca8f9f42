#include "shared/ShmFile.h"

#include <cerrno>
#include <ctime>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isPrivateToThisUser(const struct stat& st) {
    return st.st_uid == ::geteuid() && (st.st_mode & 077) == 0 && S_ISREG(st.st_mode);
}

struct flock ownerLockRange(short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 1;
    lock.l_pid = 0;  // required for open-file-description locks
    return lock;
}

}  // namespace

ShmFile::ShmFile(std::string name, int fd, void* data, std::size_t size)
    : m_name(std::move(name))
    , m_fd(fd)
    , m_data(data)
    , m_size(size) {}

ShmFile::~ShmFile() {
    if (m_data) {
        ::munmap(m_data, m_size);
    }
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

ShmFile::Result ShmFile::mapDescriptor(const std::string& name, int fd, std::size_t size) {
    void* data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) {
        const int error = errno;
        ::close(fd);
        return {nullptr, error};
    }
    return {std::unique_ptr<ShmFile>(new ShmFile(name, fd, data, size)), 0};
}

ShmFile::Result ShmFile::createExclusive(const std::string& name, std::size_t size) {
    const int fd =
        ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0) {
        return {nullptr, errno};
    }
    // The umask may only narrow the mode, but be explicit: the pixels are the user's screen.
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        const int error = errno;
        ::close(fd);
        ::shm_unlink(name.c_str());
        return {nullptr, error};
    }
    Result result = mapDescriptor(name, fd, size);
    if (!result.file) {
        ::shm_unlink(name.c_str());
    }
    return result;
}

ShmFile::Result ShmFile::openExisting(const std::string& name, std::size_t minimumSize) {
    const int fd = ::shm_open(name.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0);
    if (fd < 0) {
        return {nullptr, errno};
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return {nullptr, error};
    }
    if (!isPrivateToThisUser(st)) {
        ::close(fd);
        return {nullptr, EPERM};
    }
    if (st.st_size <= 0 || static_cast<std::size_t>(st.st_size) < minimumSize) {
        ::close(fd);
        return {nullptr, EINVAL};
    }
    return mapDescriptor(name, fd, static_cast<std::size_t>(st.st_size));
}

bool ShmFile::holdOwnerLock() {
    struct flock lock = ownerLockRange(F_WRLCK);
    return ::fcntl(m_fd, F_OFD_SETLK, &lock) == 0;
}

bool ShmFile::isOwnerLockHeld() const {
    struct flock lock = ownerLockRange(F_RDLCK);
    if (::fcntl(m_fd, F_OFD_GETLK, &lock) != 0) {
        return false;
    }
    return lock.l_type != F_UNLCK;
}

bool ShmFile::nameStillRefersToThis() const {
    const int fd = ::shm_open(m_name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW, 0);
    if (fd < 0) {
        return false;
    }
    struct stat byName {};
    struct stat mine {};
    const bool same = ::fstat(fd, &byName) == 0 && ::fstat(m_fd, &mine) == 0 &&
                      byName.st_ino == mine.st_ino && byName.st_dev == mine.st_dev;
    ::close(fd);
    return same;
}

double ShmFile::ageSeconds() const {
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        return 0.0;
    }
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec - st.st_ctim.tv_sec) +
           static_cast<double>(now.tv_nsec - st.st_ctim.tv_nsec) / 1e9;
}

bool ShmFile::unlink(const std::string& name) {
    return ::shm_unlink(name.c_str()) == 0;
}
