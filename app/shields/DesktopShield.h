#pragma once

#include "shields/CommandPlan.h"
#include "shields/PlanShield.h"

#include <functional>

class CommandRunner;

// Hides the desktop icons while the user presents and shows them again afterwards, by running the
// running desktop's command plan (DesktopIconPlans). Failures are logged as "[DesktopShield] "
// lines and kept in `lastError` as "<path>: <reason>" or "<path> failed: <error output>".
class DesktopShield final : public PlanShield {
    Q_OBJECT

public:
    // Chooses the plan that hides (true) or shows (false) the icons. Called on the worker thread.
    using PlanSource = std::function<PlanChoice(bool hidden)>;

    static PlanSource systemPlans();

    explicit DesktopShield(const CommandRunner& runner, PlanSource plans = systemPlans(),
                           QObject* parent = nullptr);
    ~DesktopShield() override;

    QFuture<bool> setDesktopIconsHidden(bool hidden) { return switchTo(hidden); }

protected:
    ShieldOutcome runPlan(bool hidden) const override;

private:
    const CommandRunner& m_runner;
    const PlanSource m_plans;
};
