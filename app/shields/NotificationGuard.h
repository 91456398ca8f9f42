#pragma once

#include "shields/CommandPlan.h"
#include "shields/PlanShield.h"

#include <functional>
#include <memory>

class CommandRunner;
class NotificationInhibition;

// Silences notifications while the user presents by switching the session's Do Not Disturb on,
// and off again afterwards, through the running desktop's command plan (NotificationPlans).
// Failures are logged as "[NotificationGuard] " lines with the tool's own trimmed text; `lastError`
// holds the message for the user that text maps to (DoNotDisturbMessages).
class NotificationGuard final : public PlanShield {
    Q_OBJECT

public:
    // Chooses the plan that switches Do Not Disturb on (true) or off. Called on the worker thread.
    using PlanSource = std::function<PlanChoice(bool enabled)>;

    static PlanSource systemPlans();

    // `inhibition` serves plans that inhibit notifications instead of running commands (KDE
    // Plasma); by default the session bus's.
    explicit NotificationGuard(const CommandRunner& runner, PlanSource plans = systemPlans(),
                               std::shared_ptr<NotificationInhibition> inhibition = {},
                               QObject* parent = nullptr);
    ~NotificationGuard() override;

    QFuture<bool> setDoNotDisturb(bool enabled) { return switchTo(enabled); }

protected:
    ShieldOutcome runPlan(bool enabled) const override;

private:
    const CommandRunner& m_runner;
    const PlanSource m_plans;
    // Thread-safe itself; the pointer never changes.
    const std::shared_ptr<NotificationInhibition> m_inhibition;
};
