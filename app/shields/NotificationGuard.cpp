#include "shields/NotificationGuard.h"

#include "core/Console.h"
#include "shields/CommandPlanExecutor.h"
#include "shields/DesktopEnvironment.h"
#include "shields/DoNotDisturbMessages.h"
#include "shields/NotificationInhibition.h"
#include "shields/NotificationPlans.h"
#include "shields/ToolErrorText.h"

NotificationGuard::PlanSource NotificationGuard::systemPlans() {
    return [](bool enabled) {
        return NotificationPlans::choose(DesktopEnvironment::fromSystem(), enabled);
    };
}

NotificationGuard::NotificationGuard(const CommandRunner& runner, PlanSource plans,
                                     std::shared_ptr<NotificationInhibition> inhibition,
                                     QObject* parent)
    : PlanShield(parent)
    , m_runner(runner)
    , m_plans(std::move(plans))
    , m_inhibition(inhibition ? std::move(inhibition)
                              : std::make_shared<NotificationInhibition>()) {}

NotificationGuard::~NotificationGuard() {
    restoreBeforeDestruction();
}

ShieldOutcome NotificationGuard::runPlan(bool enabled) const {
    const PlanChoice choice = m_plans(enabled);
    QString toolText;
    if (!choice.plan) {
        toolText = QStringLiteral("No supported notification service found for Do Not Disturb: ") +
                   choice.missing;
    } else if (choice.plan->inhibitsNotifications) {
        const Outcome inhibition = enabled ? m_inhibition->hold() : m_inhibition->release();
        if (inhibition.succeeded()) {
            return {true, {}};
        }
        toolText = inhibition.error();
    } else if (const Outcome planRun = CommandPlanExecutor(m_runner).run(
                   *choice.plan, ToolErrorText::Style::TrimmedOutput);
               planRun.failed()) {
        toolText = planRun.error();
    } else {
        return {true, {}};
    }
    // The log keeps the tool's own words; the user sees the message they map to.
    Console::printLine(QStringLiteral("[NotificationGuard] ") + toolText);
    return {false, DoNotDisturbMessages::forToolText(toolText)};
}
