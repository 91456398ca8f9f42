#pragma once

#include "ui/controllers/ScanTimer.h"

#include <functional>
#include <vector>

#include <gtest/gtest.h>

// A timer the test fires by hand; it records every delay it was started with.
class ManualTimer final : public ScanTimer {
public:
    void start(std::chrono::milliseconds delay, std::function<void()> onTimeout) override {
        delays.push_back(delay);
        m_onTimeout = std::move(onTimeout);
    }
    void stop() override { m_onTimeout = nullptr; }
    bool pending() const { return static_cast<bool>(m_onTimeout); }
    // The delay elapses.
    void fire() {
        ASSERT_TRUE(pending());
        auto onTimeout = std::move(m_onTimeout);
        m_onTimeout = nullptr;
        onTimeout();
    }

    std::vector<std::chrono::milliseconds> delays;

private:
    std::function<void()> m_onTimeout;
};
