#pragma once

#include "core/CommandRunner.h"
#include "shields/CommandPlan.h"

#include <optional>

// The command of a plan that stopped it, with what the runner reported.
struct FailedCommand {
    QString program;
    CommandResult result;
};

// Runs a plan's commands one after another through the CommandRunner and stops at the first one
// that does not succeed. Blocks the calling thread; safe on any thread.
class CommandPlanExecutor {
public:
    explicit CommandPlanExecutor(const CommandRunner& runner);

    // Nothing when every command succeeded.
    std::optional<FailedCommand> run(const CommandPlan& plan) const;

private:
    const CommandRunner& m_runner;
};
