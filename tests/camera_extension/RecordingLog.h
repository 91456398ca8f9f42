#pragma once

#include "camera_extension/DeviceLog.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

// Keeps every line the daemon's code logs, from any thread, for the tests to read back.
class RecordingLog : public DeviceLog {
public:
    void write(Level, const std::string& line) override {
        std::lock_guard lock(m_mutex);
        m_lines.push_back(line);
    }
    std::vector<std::string> lines() {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }
    // How many lines contain `part`.
    long count(const std::string& part) {
        const std::vector<std::string> all = lines();
        return std::count_if(all.begin(), all.end(),
                             [&](const std::string& line) { return line.find(part) != line.npos; });
    }
    // Every line, for a failure message.
    std::string all() {
        std::string text;
        for (const std::string& line : lines()) {
            text += line + "\n";
        }
        return text;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};
