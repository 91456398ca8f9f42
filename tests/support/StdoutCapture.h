#pragma once

#include <gtest/gtest.h>

#include <string>

// Captures what the process prints to standard output (the plain console lines the application
// writes beside its log) from construction until take() or the end of the scope. The one user of
// GoogleTest's internal capture; only one may be active at a time.
class StdoutCapture {
public:
    StdoutCapture() { testing::internal::CaptureStdout(); }
    ~StdoutCapture() {
        if (!m_taken) {
            testing::internal::GetCapturedStdout();
        }
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Ends the capture and returns what was printed.
    std::string take() {
        m_taken = true;
        return testing::internal::GetCapturedStdout();
    }

private:
    bool m_taken = false;
};
