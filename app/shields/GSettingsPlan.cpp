#include "shields/GSettingsPlan.h"

#include "shields/DesktopEnvironment.h"

namespace GSettingsPlan {

PlanChoice set(const DesktopEnvironment& env, const QString& desktop, const QString& schema,
               const QString& key, const QString& value) {
    const QString gsettings = env.findTool(QStringLiteral("gsettings"));
    if (gsettings.isEmpty()) {
        return PlanChoice::none(QStringLiteral("gsettings not found (install libglib2.0-bin)"));
    }
    if (!env.hasSettingsKey(schema, key)) {
        return PlanChoice::none(
            QStringLiteral("settings key %1 %2 not installed").arg(schema, key));
    }
    return PlanChoice::of({desktop, {{gsettings, {QStringLiteral("set"), schema, key, value}}}});
}

}  // namespace GSettingsPlan
