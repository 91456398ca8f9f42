#pragma once

#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

// Gives a test its own shared-memory namespace for the hand-off (inherited by the helper
// processes it starts) and removes whatever is left in it afterwards.
class HandoffNamespace {
public:
    HandoffNamespace() {
        static int counter = 0;
        m_name = "velarion-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
        ::setenv("VELARION_HANDOFF_NAMESPACE", m_name.c_str(), 1);
    }
    ~HandoffNamespace() {
        for (const std::string& file : objects()) {
            std::filesystem::remove("/dev/shm/" + file);
        }
        ::unsetenv("VELARION_HANDOFF_NAMESPACE");
    }
    HandoffNamespace(const HandoffNamespace&) = delete;
    HandoffNamespace& operator=(const HandoffNamespace&) = delete;

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
    std::string m_name;
};
