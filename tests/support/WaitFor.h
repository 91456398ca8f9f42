#pragma once

#include <QDeadlineTimer>
#include <QThread>

#include <functional>

// Polls `condition` until it holds or `timeoutMs` has passed (then checks it one last time).
// Generous defaults: the tests share two cores with builds and other suites.
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
