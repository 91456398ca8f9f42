#include "camera_extension/FrameTimer.h"

ThreadFrameTimer::ThreadFrameTimer(std::chrono::nanoseconds period, std::function<void()> tick)
    : m_period(period)
    , m_tick(std::move(tick))
    , m_thread([this] { run(); }) {}

ThreadFrameTimer::~ThreadFrameTimer() {
    cancel();
}

void ThreadFrameTimer::cancel() {
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) {
        m_thread.join();
    }
}

void ThreadFrameTimer::run() {
    auto deadline = std::chrono::steady_clock::now();  // the first tick is due at once
    std::unique_lock lock(m_mutex);
    while (!m_cancelled) {
        if (m_wake.wait_until(lock, deadline, [this] { return m_cancelled; })) {
            break;
        }
        lock.unlock();
        m_tick();
        lock.lock();
        deadline += m_period;
        const auto now = std::chrono::steady_clock::now();
        if (now > deadline + m_period) {
            deadline = now;  // fell behind by more than a frame: start again from now
        }
    }
}
