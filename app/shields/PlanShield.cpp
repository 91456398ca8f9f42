#include "shields/PlanShield.h"

PlanShield::PlanShield(QObject* parent)
    : QObject(parent) {
    connect(&m_queue, &ShieldOperationQueue::isBusyChanged, this, &PlanShield::isBusyChanged);
}

QFuture<bool> PlanShield::activate() {
    return m_queue.enqueue([this] { return runPlan(true); },
                           [this](const ShieldOutcome& outcome) {
                               applyOutcome(outcome);
                               if (outcome.succeeded) {
                                   setActive(true);
                               }
                           });
}

QFuture<bool> PlanShield::deactivate() {
    return m_queue.enqueue([this] { return runPlan(false); },
                           [this](const ShieldOutcome& outcome) {
                               applyOutcome(outcome);
                               if (outcome.succeeded) {
                                   setActive(false);
                               }
                           });
}

QFuture<bool> PlanShield::switchTo(bool on) {
    return m_queue.enqueue([this, on] { return runPlan(on); },
                           [this](const ShieldOutcome& outcome) { applyOutcome(outcome); });
}

bool PlanShield::deactivateNow() {
    m_queue.finishPending();
    if (!m_isActive) {
        return true;
    }
    const ShieldOutcome outcome = runPlan(false);
    applyOutcome(outcome);
    if (outcome.succeeded) {
        setActive(false);
    }
    return outcome.succeeded;
}

void PlanShield::restoreBeforeDestruction() {
    // Operations still queued may be the ones that switched the shield on.
    m_queue.finishPending();
    if (m_isActive) {
        runPlan(false);  // nobody is left to report a failure to
    }
}

void PlanShield::applyOutcome(const ShieldOutcome& outcome) {
    setLastError(outcome.succeeded ? QString() : outcome.error);
}

void PlanShield::setActive(bool active) {
    if (m_isActive == active) {
        return;
    }
    m_isActive = active;
    Q_EMIT isActiveChanged();
}

void PlanShield::setLastError(const QString& error) {
    if (m_lastError == error) {
        return;
    }
    m_lastError = error;
    Q_EMIT lastErrorChanged();
}
