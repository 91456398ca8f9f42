#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// A repeating timer on a thread of its own: ticks at absolute deadlines a period apart, so they do
// not drift; a tick that runs late is not made up for with a burst. cancel() waits for a tick in
// progress, so after it returns no tick runs.
class FrameTimer {
public:
    virtual ~FrameTimer() = default;
    virtual void cancel() = 0;
};

class ThreadFrameTimer final : public FrameTimer {
public:
    ThreadFrameTimer(std::chrono::nanoseconds period, std::function<void()> tick);
    ~ThreadFrameTimer() override;
    void cancel() override;

private:
    void run();

    std::chrono::nanoseconds m_period;
    std::function<void()> m_tick;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_cancelled = false;
    std::thread m_thread;
};
