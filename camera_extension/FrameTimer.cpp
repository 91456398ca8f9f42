#include "camera_extension/FrameTimer.h"

#include <pthread.h>
#include <sched.h>

namespace {

constexpr int kRealtimePriority = 10;

}  // namespace

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
    // Frames should come on time even on a busy machine: ask for real-time scheduling, which a
    // user may be granted (RLIMIT_RTPRIO, rtkit); without it the thread keeps normal priority.
    sched_param parameters{};
    parameters.sched_priority = kRealtimePriority;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameters);
    auto deadline = std::chrono::steady_clock::now();  // the first tick is due at once
    std::unique_lock lock(m_mutex);
    while (!m_cancelled) {
        if (m_wake.wait_until(lock, deadline, [this] { return m_cancelled; })) {
            break;
        }
        lock.unlock();
        m_tick();
        lock.lock();
        // Keep the phase: a late tick is followed by the next deadline still ahead, never by a
        // burst of catch-up ticks.
        const auto now = std::chrono::steady_clock::now();
        deadline += m_period;
        while (deadline <= now) {
            deadline += m_period;
        }
    }
}
