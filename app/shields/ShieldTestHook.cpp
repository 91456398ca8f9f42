#include "shields/ShieldTestHook.h"

#include "shields/PlanShield.h"

#include <QByteArray>

namespace ShieldTestHook {

void switchOnAtStartIfAsked(PlanShield& first, PlanShield& second) {
    if (qgetenv(kShieldsOnAtStartVariable) != "1") {
        return;
    }
    first.activate();
    second.activate();
}

}  // namespace ShieldTestHook
