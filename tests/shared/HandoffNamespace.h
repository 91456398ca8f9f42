#pragma once

#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"

#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

// Gives a test a private runtime folder (XDG_RUNTIME_DIR, inherited by the helper processes it
// starts), and with it its own shared-memory names for the hand-off; removes whatever is left
// under those names afterwards and restores the runtime folder.
class HandoffNamespace {
public:
    HandoffNamespace() {
        if (const char* previous = std::getenv("XDG_RUNTIME_DIR")) {
            m_previous = previous;
        }
        ::setenv("XDG_RUNTIME_DIR", m_folder.path().toLocal8Bit().constData(), 1);
        m_name = FrameHandoff::shmNamespace();
    }
    ~HandoffNamespace() {
        for (const std::string& file : objects()) {
            std::filesystem::remove("/dev/shm/" + file);
        }
        if (m_previous) {
            ::setenv("XDG_RUNTIME_DIR", m_previous->c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
    }
    HandoffNamespace(const HandoffNamespace&) = delete;
    HandoffNamespace& operator=(const HandoffNamespace&) = delete;

    // The runtime folder (mode 0700) that selects the names; a private session of the test uses
    // it as its own so that its processes meet this one.
    QString folder() const { return m_folder.path(); }

    // The identifier announced in the current namespace's notify state, as a reader sees it.
    static std::uint32_t announcedIdentifier() {
        NotifyCenter reader;
        int token = -1;
        std::uint64_t state = 0;
        reader.notify_register_check(FrameHandoff::kNotifyName, token);
        reader.notify_get_state(token, state);
        return static_cast<std::uint32_t>(state);
    }

    // The names in /dev/shm of this namespace (all users).
    std::vector<std::string> objects(const std::string& kind = "") const {
        std::vector<std::string> found;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error)) {
            const std::string file = entry.path().filename().string();
            if (file.rfind(m_name + "-", 0) == 0 && file.find(kind) != std::string::npos) {
                found.push_back(file);
            }
        }
        return found;
    }

private:
    QTemporaryDir m_folder;
    std::optional<std::string> m_previous;
    std::string m_name;
};
