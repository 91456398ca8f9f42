#include "shields/DesktopShield.h"

#include "core/Console.h"
#include "shields/CommandPlanExecutor.h"
#include "shields/DesktopEnvironment.h"
#include "shields/DesktopIconPlans.h"
#include "shields/ToolErrorText.h"

DesktopShield::PlanSource DesktopShield::systemPlans() {
    return [](bool hidden) {
        return DesktopIconPlans::choose(DesktopEnvironment::fromSystem(), hidden);
    };
}

DesktopShield::DesktopShield(const CommandRunner& runner, PlanSource plans, QObject* parent)
    : PlanShield(parent)
    , m_runner(runner)
    , m_plans(std::move(plans)) {}

DesktopShield::~DesktopShield() {
    restoreBeforeDestruction();
}

ShieldOutcome DesktopShield::runPlan(bool hidden) const {
    const PlanChoice choice = m_plans(hidden);
    QString error;
    if (!choice.plan) {
        error =
            QStringLiteral("No supported desktop found for %1 icons: %2")
                .arg(hidden ? QStringLiteral("hiding") : QStringLiteral("showing"), choice.missing);
    } else if (const Outcome planRun = CommandPlanExecutor(m_runner).run(
                   *choice.plan, ToolErrorText::Style::PathAndOutput);
               planRun.failed()) {
        error = planRun.error();
    } else {
        return {true, {}};
    }
    Console::printLine(QStringLiteral("[DesktopShield] ") + error);
    return {false, error};
}
