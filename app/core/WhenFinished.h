#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>

#include <utility>

// Runs `handler(future)` on `context`'s thread once `future` finishes, and never once `context`
// is gone. Qt 6.4's QFuture::then(context, …) asserts, and in release builds silently drops the
// continuation, when the context dies before the future ends (as a view's controller does when
// the application quits during a window refresh); a watcher owned by the context dies with it.
template <typename T, typename Handler>
void whenFinished(const QFuture<T>& future, QObject* context, Handler&& handler) {
    auto* watcher = new QFutureWatcher<T>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context,
                     [watcher, handler = std::forward<Handler>(handler)]() mutable {
                         watcher->deleteLater();
                         handler(watcher->future());
                     });
    watcher->setFuture(future);
}
