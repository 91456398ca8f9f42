#include "camera_extension/ControlQueue.h"

void ControlQueue::post(std::function<void()> work) {
    {
        std::lock_guard lock(m_mutex);
        m_work.push_back(std::move(work));
    }
    m_wake.notify_one();
}

void ControlQueue::setPeriodicWork(std::chrono::milliseconds period, std::function<void()> work) {
    std::lock_guard lock(m_mutex);
    m_period = period;
    m_periodicWork = std::move(work);
}

void ControlQueue::quit(int exitCode) {
    // Notified under the lock: run() cannot return, and the queue cannot be destroyed, while
    // the signal thread is still inside notify_one().
    std::lock_guard lock(m_mutex);
    m_quitting = true;
    m_exitCode = exitCode;
    m_wake.notify_one();
}

int ControlQueue::run() {
    using Clock = std::chrono::steady_clock;
    std::unique_lock lock(m_mutex);
    const bool periodic = m_periodicWork && m_period.count() > 0;
    Clock::time_point nextPeriodic = Clock::now() + m_period;
    for (;;) {
        const auto ready = [this] {
            return m_quitting || !m_work.empty();
        };
        if (periodic) {
            m_wake.wait_until(lock, nextPeriodic, ready);
        } else {
            m_wake.wait(lock, ready);
        }
        if (m_quitting) {
            return m_exitCode;
        }
        std::function<void()> work;
        const bool periodicDue = m_work.empty() && periodic && Clock::now() >= nextPeriodic;
        if (!m_work.empty()) {
            work = std::move(m_work.front());
            m_work.pop_front();
        } else if (periodicDue) {
            work = m_periodicWork;
        } else {
            continue;
        }
        lock.unlock();
        work();
        lock.lock();
        if (periodicDue) {
            // Counted from the end of the run: a slow run is never followed by a burst.
            nextPeriodic = Clock::now() + m_period;
        }
    }
}
