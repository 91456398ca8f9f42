#include "shields/ShieldOperationQueue.h"

#include <QtConcurrent/QtConcurrentRun>

ShieldOperationQueue::ShieldOperationQueue(QObject* parent)
    : QObject(parent) {
    // One thread: a switch-off queued behind a switch-on must run after it.
    m_worker.setMaxThreadCount(1);
    m_worker.setExpiryTimeout(-1);
}

ShieldOperationQueue::~ShieldOperationQueue() {
    finishPending();
}

QFuture<bool> ShieldOperationQueue::enqueue(Work work, Apply apply) {
    Pending pending;
    pending.outcome = QtConcurrent::run(&m_worker, std::move(work));
    pending.apply = std::move(apply);
    pending.promise.start();
    QFuture<bool> result = pending.promise.future();
    QFuture<ShieldOutcome> outcome = pending.outcome;
    m_pending.push_back(std::move(pending));
    // Queued, never direct: a continuation on a future that has already finished would otherwise
    // run inside enqueue(). It finds nothing to do when finishPending() got there first, and does
    // not run at all once this object is gone.
    outcome.then(this, [this](const ShieldOutcome&) {
        QMetaObject::invokeMethod(this, &ShieldOperationQueue::applyFinished, Qt::QueuedConnection);
    });
    if (m_pending.size() == 1) {
        Q_EMIT isBusyChanged();
    }
    return result;
}

void ShieldOperationQueue::finishPending() {
    if (m_pending.empty()) {
        return;
    }
    while (!m_pending.empty()) {
        m_pending.front().outcome.waitForFinished();
        applyFront();
    }
    Q_EMIT isBusyChanged();
}

void ShieldOperationQueue::applyFinished() {
    if (m_pending.empty()) {
        return;
    }
    while (!m_pending.empty() && m_pending.front().outcome.isFinished()) {
        applyFront();
    }
    if (m_pending.empty()) {
        Q_EMIT isBusyChanged();
    }
}

void ShieldOperationQueue::applyFront() {
    // Taken off the queue first: `apply` may emit signals whose receivers queue more work.
    Pending done = std::move(m_pending.front());
    m_pending.pop_front();
    const ShieldOutcome outcome = done.outcome.result();
    done.apply(outcome);
    done.promise.addResult(outcome.succeeded);
    done.promise.finish();
}
