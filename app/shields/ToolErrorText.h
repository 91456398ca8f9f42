#pragma once

#include "core/CommandRunner.h"

#include <QString>

// The command of a plan that stopped it, with what the runner reported.
struct FailedCommand {
    QString program;
    CommandResult result;
};

// The `lastError` text for a tool that stopped a plan.
//
// A tool that could not start is always "<path>: <reason>". For one that ran and failed, the text
// is its standard error decoded as UTF-8 ("exit <status>" when that is not valid UTF-8, or empty,
// so a failure never reads as an empty error), or the runner's reason when it timed out or
// crashed.
namespace ToolErrorText {

enum class Style {
    PathAndOutput,  // "<path> failed: <text>", the text exactly as read
    TrimmedOutput,  // the text alone, white space trimmed from both ends
};

QString describe(const FailedCommand& failure, Style style);

}  // namespace ToolErrorText
