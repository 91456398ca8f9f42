#pragma once

#include "shields/CommandPlan.h"

class DesktopEnvironment;

// Which commands hide or show the desktop icons on the running desktop. Hiding writes the
// desktop's "no icons" value and showing writes its default "icons shown" value; the value the
// user had before is not remembered.
namespace DesktopIconPlans {

// The GNOME Shell extension that draws desktop icons on current GNOME releases.
inline constexpr char kDingExtension[] = "ding@rastersoft.com";

PlanChoice choose(const DesktopEnvironment& env, bool hidden);

}  // namespace DesktopIconPlans
