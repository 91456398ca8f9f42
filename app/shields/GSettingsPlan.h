#pragma once

#include "shields/CommandPlan.h"

class DesktopEnvironment;

// The one-command plan that writes a GSettings key with `gsettings set`, when both the tool and
// the schema key are installed.
namespace GSettingsPlan {

PlanChoice set(const DesktopEnvironment& env, const QString& desktop, const QString& schema,
               const QString& key, const QString& value);

}  // namespace GSettingsPlan
