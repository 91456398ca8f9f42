#pragma once

#include "core/SensitiveRegion.h"

#include <QEventLoop>
#include <QFuture>
#include <QFutureWatcher>
#include <QTimer>

// Runs the event loop until a scan's result is delivered (or a generous minute passes).
inline QList<SensitiveRegion> awaitScan(const QFuture<QList<SensitiveRegion>>& future,
                                        bool* finished = nullptr) {
    QFutureWatcher<QList<SensitiveRegion>> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60'000, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    if (!future.isFinished()) {
        loop.exec();
    }
    if (finished != nullptr) {
        *finished = future.isFinished();
    }
    return future.isFinished() && future.resultCount() > 0 ? future.result()
                                                           : QList<SensitiveRegion>{};
}
