#include "shields/ShieldTestHook.h"

#include "core/TestHooks.h"
#include "shields/PlanShield.h"

namespace ShieldTestHook {

void switchOnAtStartIfAsked(PlanShield& first, PlanShield& second) {
    if (TestHooks::value(TestHooks::Hook::shieldsOnAtStart) != QStringLiteral("1")) {
        return;
    }
    first.activate();
    second.activate();
}

}  // namespace ShieldTestHook
