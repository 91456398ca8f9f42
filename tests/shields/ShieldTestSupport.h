#pragma once

#include "shields/CommandPlan.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

#include <QFuture>

#include <gtest/gtest.h>

#include <functional>

// Lets the event loop run until the operation's outcome has been applied on this thread.
inline bool awaitResult(QFuture<bool> future) {
    waitProcessingEvents([&] { return future.isFinished(); });
    EXPECT_TRUE(future.isFinished()) << "operation did not finish";
    return future.isFinished() && future.result();
}

// A plan source that always picks the given commands for switching on and for switching off.
inline std::function<PlanChoice(bool)> fixedPlans(QList<PlanCommand> on, QList<PlanCommand> off) {
    return [on, off](bool switchOn) {
        return PlanChoice::of({{}, switchOn ? on : off});
    };
}
