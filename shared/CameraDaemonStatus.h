#pragma once

#include <sys/types.h>
#include <optional>
#include <string>

// The camera daemon's status file, the one thing the application's installer reads about it: the
// daemon holds a lock on the file for its whole life (so at most one runs per user and a dead one
// is told at once) and writes its pid, its version and whether its camera node is up.
class CameraDaemonStatus {
public:
    struct Running {
        pid_t pid = 0;
        std::string version;
        std::string build;  // empty from a daemon that did not write one
        bool ready = false;
    };

    // The file in the user's runtime folder (per hand-off namespace); without XDG_RUNTIME_DIR in
    // a private folder of this user in /tmp. Empty when no such folder can be had.
    static std::string path();

    // `pid` is a running velarion-camera-extension of this user.
    static bool isCameraDaemonProcess(pid_t pid);

    // Daemon: takes the lock; false when another daemon holds it.
    bool acquire();
    // Daemon: rewrites the file's content while holding the lock.
    void publish(const std::string& version, const std::string& build, bool ready);

    // Anyone: the daemon that holds the lock now, if any. A file not owned by this user, or
    // writable by others, or naming a pid that is not our daemon, counts as no daemon: its pid
    // is never to be signalled.
    static std::optional<Running> read();

    CameraDaemonStatus() = default;
    ~CameraDaemonStatus();
    CameraDaemonStatus(const CameraDaemonStatus&) = delete;
    CameraDaemonStatus& operator=(const CameraDaemonStatus&) = delete;

private:
    int m_fd = -1;
};
