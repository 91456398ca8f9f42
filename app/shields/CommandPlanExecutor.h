#pragma once

#include "core/CommandRunner.h"
#include "core/Outcome.h"
#include "shields/CommandPlan.h"
#include "shields/ToolErrorText.h"

// Runs a plan's commands one after another through the CommandRunner and stops at the first one
// that does not succeed. Blocks the calling thread; safe on any thread.
class CommandPlanExecutor {
public:
    explicit CommandPlanExecutor(const CommandRunner& runner);

    // A failure's message describes the command that stopped the plan, in `style`.
    Outcome run(const CommandPlan& plan, ToolErrorText::Style style) const;

private:
    const CommandRunner& m_runner;
};
