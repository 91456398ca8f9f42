#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

// The daemon's control thread: client arrivals and departures, reported on the PipeWire thread,
// are queued here and run one after another on the thread that called run(). Keeping them off the
// PipeWire thread lets a stop wait for a frame tick that is itself waiting for that thread.
class ControlQueue {
public:
    void post(std::function<void()> work);
    // Work run on the control thread every `period` too, between posted work; set before run().
    void setPeriodicWork(std::chrono::milliseconds period, std::function<void()> work);
    // Runs posted work until quit() is posted or called; returns the exit code given to quit().
    int run();
    void quit(int exitCode);

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_work;
    std::chrono::milliseconds m_period{0};
    std::function<void()> m_periodicWork;
    bool m_quitting = false;
    int m_exitCode = 0;
};
