#pragma once

#include "camera_extension/DeviceLog.h"

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
    std::vector<std::string> linesStartingWith(const std::string& prefix) {
        std::vector<std::string> found;
        for (const std::string& line : lines()) {
            if (line.rfind(prefix, 0) == 0) {
                found.push_back(line);
            }
        }
        return found;
    }
    // How many lines contain `part`.
    int count(const std::string& part) {
        int found = 0;
        for (const std::string& line : lines()) {
            found += line.find(part) != std::string::npos ? 1 : 0;
        }
        return found;
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
