#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <functional>

// The one way tests wait: for a condition, never for a fixed time. Generous defaults: the tests
// share two cores with builds and other suites.

// Polls `condition` until it holds or `timeoutMs` has passed (then checks it one last time).
// Runs no events: for conditions other processes or threads make true.
inline bool waitFor(const std::function<bool()>& condition, int timeoutMs = 20'000,
                    int pollMs = 50) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (condition()) {
            return true;
        }
        QThread::msleep(static_cast<unsigned long>(pollMs));
    }
    return condition();
}

// The same, running this thread's event loop while it waits: for outcomes delivered as queued
// calls or signals on this thread.
inline bool waitProcessingEvents(const std::function<bool()>& condition, int timeoutMs = 30'000) {
    return waitFor(
        [&] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            return condition();
        },
        timeoutMs, 5);
}
