#pragma once

#include <string>
#include <utility>

// The daemon's shape of the application's Outcome, without Qt: success, or failure with the
// message that says why. [[nodiscard]]: a failure nobody looks at would read as success.
class [[nodiscard]] DaemonOutcome {
public:
    static DaemonOutcome success() { return DaemonOutcome(false, {}); }
    static DaemonOutcome failure(std::string error) {
        return DaemonOutcome(true, std::move(error));
    }

    bool succeeded() const { return !m_failed; }
    bool failed() const { return m_failed; }
    // Why it failed; empty on success.
    const std::string& error() const { return m_error; }

private:
    DaemonOutcome(bool failed, std::string error)
        : m_failed(failed)
        , m_error(std::move(error)) {}

    bool m_failed;
    std::string m_error;
};
