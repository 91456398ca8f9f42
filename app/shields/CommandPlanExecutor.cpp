#include "shields/CommandPlanExecutor.h"

CommandPlanExecutor::CommandPlanExecutor(const CommandRunner& runner)
    : m_runner(runner) {}

std::optional<FailedCommand> CommandPlanExecutor::run(const CommandPlan& plan) const {
    for (const PlanCommand& command : plan.commands) {
        CommandResult result = m_runner.run(command.program, command.arguments);
        if (!result.succeeded()) {
            return FailedCommand{command.program, std::move(result)};
        }
    }
    return std::nullopt;
}
