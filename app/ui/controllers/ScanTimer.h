#pragma once

#include <chrono>
#include <functional>

// A one-shot timer for the periodic mask scan: the clock is behind this port so that tests drive
// the passes instead of waiting for them. GUI thread only.
class ScanTimer {
public:
    virtual ~ScanTimer() = default;
    // Calls `onTimeout` once, after `delay`, on the GUI thread; replaces any pending call.
    virtual void start(std::chrono::milliseconds delay, std::function<void()> onTimeout) = 0;
    // Drops the pending call, if any.
    virtual void stop() = 0;
};
