#pragma once

#include <QFuture>
#include <QObject>
#include <QPromise>
#include <QString>
#include <QThreadPool>

#include <deque>
#include <functional>

// What one shield operation came to: `error` is the text for `lastError` when it failed.
struct ShieldOutcome {
    bool succeeded = false;
    QString error;
};

// Runs a shield's operations one at a time on a worker thread, so a tool that takes seconds
// never freezes the interface, and applies their outcomes on the owner's thread in the order
// they were queued. `finishPending()` lets the quit path and a destructor catch up synchronously
// before they decide whether anything still needs restoring.
class ShieldOperationQueue final : public QObject {
    Q_OBJECT

public:
    using Work = std::function<ShieldOutcome()>;              // runs on the worker thread
    using Apply = std::function<void(const ShieldOutcome&)>;  // runs on the owner's thread

    explicit ShieldOperationQueue(QObject* parent = nullptr);
    ~ShieldOperationQueue() override;

    // The future finishes, with the outcome's success, after `apply` has run.
    QFuture<bool> enqueue(Work work, Apply apply);

    // Blocks until every queued operation has run and been applied. Owner's thread only.
    void finishPending();

    bool isBusy() const { return !m_pending.empty(); }

Q_SIGNALS:
    void isBusyChanged();

private:
    struct Pending {
        QFuture<ShieldOutcome> outcome;
        Apply apply;
        QPromise<bool> promise;
    };

    // Applies the finished operations at the head of the queue, in order.
    void applyFinished();
    void applyFront();

    QThreadPool m_worker;
    std::deque<Pending> m_pending;
};
