#include "camera_extension/ControlQueue.h"

void ControlQueue::post(std::function<void()> work) {
    {
        std::lock_guard lock(m_mutex);
        m_work.push_back(std::move(work));
    }
    m_wake.notify_one();
}

void ControlQueue::quit(int exitCode) {
    {
        std::lock_guard lock(m_mutex);
        m_quitting = true;
        m_exitCode = exitCode;
    }
    m_wake.notify_one();
}

int ControlQueue::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quitting || !m_work.empty(); });
        if (m_quitting) {
            return m_exitCode;
        }
        std::function<void()> work = std::move(m_work.front());
        m_work.pop_front();
        lock.unlock();
        work();
        lock.lock();
    }
}
