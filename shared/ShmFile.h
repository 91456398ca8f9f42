#pragma once

#include <cstddef>
#include <memory>
#include <string>

// One POSIX shared-memory object of this user, open and mapped read-write. Objects are created
// with O_EXCL and mode 0600; an existing object is accepted only when it belongs to this user and
// nobody else may open it, so another account cannot plant a name (e.g. with mode 0666) and read
// or feed what this user publishes. The mapping and the descriptor are released with the object.
class ShmFile {
public:
    struct Result {
        std::unique_ptr<ShmFile> file;
        int error = 0;  // errno of the failed step; EPERM for a foreign or too open object
    };

    // `name` starts with '/'. Fails with EEXIST when the name is taken.
    static Result createExclusive(const std::string& name, std::size_t size);
    // Maps the whole object as it is; fails with EINVAL when it is smaller than `minimumSize`.
    static Result openExisting(const std::string& name, std::size_t minimumSize);

    ~ShmFile();
    ShmFile(const ShmFile&) = delete;
    ShmFile& operator=(const ShmFile&) = delete;

    void* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    const std::string& name() const { return m_name; }

    // Holds an exclusive open-file-description lock on the first byte until this object is gone
    // (or the process dies, which is the point: the kernel drops the lock with the process).
    bool holdOwnerLock();
    // True while some other open description holds the owner lock.
    bool isOwnerLockHeld() const;
    // True when `name` still names the object this file has open (not unlinked or replaced).
    bool nameStillRefersToThis() const;
    // Seconds since the object's status last changed (creation or resize).
    double ageSeconds() const;

    static bool unlink(const std::string& name);

private:
    ShmFile(std::string name, int fd, void* data, std::size_t size);
    static Result mapDescriptor(const std::string& name, int fd, std::size_t size);

    std::string m_name;
    int m_fd = -1;
    void* m_data = nullptr;
    std::size_t m_size = 0;
};
