#include "ui/controllers/QtScanTimer.h"

QtScanTimer::QtScanTimer() {
    m_timer.setSingleShot(true);
    // Intervals are whole seconds at least; a coarse timer's slack of a few percent is harmless.
    m_timer.setTimerType(Qt::CoarseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        // Moved out first: the call may start the timer again with a new function.
        std::function<void()> onTimeout = std::move(m_onTimeout);
        m_onTimeout = nullptr;
        if (onTimeout) {
            onTimeout();
        }
    });
}

void QtScanTimer::start(std::chrono::milliseconds delay, std::function<void()> onTimeout) {
    m_onTimeout = std::move(onTimeout);
    m_timer.start(delay);
}

void QtScanTimer::stop() {
    m_timer.stop();
    m_onTimeout = nullptr;
}
