#pragma once

#include "shields/ShieldOperationQueue.h"

#include <QFuture>
#include <QObject>
#include <QString>

// What DesktopShield and NotificationGuard share: a shield switched on and off by running a
// command plan, with the state rules both follow.
//
// The tools run on a worker thread, one operation at a time in the order asked; `isActive` and
// `lastError` change on the GUI thread once an operation has finished, and only then does its
// future finish. `isActive` changes only through activate()/deactivate() and only on success;
// `lastError` is set by a failure and emptied by the next success. Subclasses call
// restoreBeforeDestruction() from their destructor, so a shield destroyed while active switches
// itself off before the destructor returns.
class PlanShield : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isActive READ isActive NOTIFY isActiveChanged)
    Q_PROPERTY(QString lastError READ lastError NOTIFY lastErrorChanged)
    Q_PROPERTY(bool isBusy READ isBusy NOTIFY isBusyChanged)

public:
    bool isActive() const { return m_isActive; }
    // Empty when the last operation succeeded, or none has run yet.
    QString lastError() const { return m_lastError; }
    // True while operations are queued or running.
    bool isBusy() const { return m_queue.isBusy(); }

    QFuture<bool> activate();
    QFuture<bool> deactivate();

    // For the quit path: lets queued operations finish, then switches the shield off if it is on,
    // all before returning (each tool bounded by the runner's time limit).
    bool deactivateNow();

Q_SIGNALS:
    void isActiveChanged();
    void lastErrorChanged();
    void isBusyChanged();

protected:
    explicit PlanShield(QObject* parent);

    // Switches the shield on (true) or off: runs the plan and returns the outcome, with the text
    // for `lastError` on failure. Runs on the worker thread, or on the GUI thread from
    // deactivateNow() and the destructor, so it must read nothing but immutable members.
    virtual ShieldOutcome runPlan(bool on) const = 0;

    // Runs the plan and keeps `lastError`, leaving `isActive` alone.
    QFuture<bool> switchTo(bool on);
    void restoreBeforeDestruction();

private:
    void applyOutcome(const ShieldOutcome& outcome);
    void setActive(bool active);
    void setLastError(const QString& error);

    bool m_isActive = false;
    QString m_lastError;
    ShieldOperationQueue m_queue;
};
