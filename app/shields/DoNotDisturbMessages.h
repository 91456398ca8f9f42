#pragma once

#include <QString>

// Turns the text a notification tool failed with into what the user is told, by the first rule
// that fits (compared case-sensitively): a refused permission, then mako without the mode, then a
// Do Not Disturb facility that is not there; any other text is kept as it is.
namespace DoNotDisturbMessages {

inline constexpr char kPermissionRequired[] =
    "Permission required to change notification settings. Allow Velarion to use the session "
    "D-Bus and your desktop's settings service (dconf or xfconf) in your sandbox or security "
    "policy settings.";
inline constexpr char kFacilityNotFound[] =
    "Could not find Do Not Disturb. Install and start your desktop's notification service "
    "(GNOME Shell, Cinnamon, MATE, xfce4-notifyd, dunst or mako) together with its settings "
    "schema.";

// mako without the mode the guard switches: how to add it.
inline constexpr char kMakoModeMissing[] =
    "mako has no \"do-not-disturb\" mode. Add a [mode=do-not-disturb] section with the line "
    "invisible=1 to mako's configuration (~/.config/mako/config), run \"makoctl reload\", then "
    "try again.";

QString forToolText(const QString& text);

}  // namespace DoNotDisturbMessages
