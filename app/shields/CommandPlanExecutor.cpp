#include "shields/CommandPlanExecutor.h"

CommandPlanExecutor::CommandPlanExecutor(const CommandRunner& runner)
    : m_runner(runner) {}

Outcome CommandPlanExecutor::run(const CommandPlan& plan, ToolErrorText::Style style) const {
    for (const PlanCommand& command : plan.commands) {
        CommandResult result = m_runner.run(command.program, command.arguments);
        if (!result.succeeded()) {
            return Outcome::failure(
                ToolErrorText::describe(FailedCommand{command.program, std::move(result)}, style));
        }
    }
    return Outcome::success();
}
