#pragma once

#include "shields/CommandPlan.h"

class DesktopEnvironment;

// Which commands switch Do Not Disturb on or off in the running session. A stand-alone
// notification daemon that is running (dunst, mako) is the one showing the banners, so it wins
// over the desktop's own settings; otherwise the desktop named by the session decides.
namespace NotificationPlans {

// Why mako cannot be switched: its configuration declares no "do-not-disturb" mode.
inline constexpr char kMakoModeMissing[] =
    "mako has no \"do-not-disturb\" mode in its configuration";

PlanChoice choose(const DesktopEnvironment& env, bool enabled);

}  // namespace NotificationPlans
