#include "shields/NotificationPlans.h"

#include "shields/DesktopEnvironment.h"
#include "shields/GSettingsPlan.h"

namespace NotificationPlans {
namespace {

QString boolText(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

std::optional<PlanChoice> standaloneDaemon(const DesktopEnvironment& env, bool enabled) {
    if (env.isRunning(QStringLiteral("dunst"))) {
        const QString dunstctl = env.findTool(QStringLiteral("dunstctl"));
        if (dunstctl.isEmpty()) {
            return PlanChoice::none(QStringLiteral("dunst is running but dunstctl was not found"));
        }
        return PlanChoice::of({QStringLiteral("dunst"),
                               {{dunstctl, {QStringLiteral("set-paused"), boolText(enabled)}}}});
    }
    if (env.isRunning(QStringLiteral("mako"))) {
        const QString makoctl = env.findTool(QStringLiteral("makoctl"));
        if (makoctl.isEmpty()) {
            return PlanChoice::none(QStringLiteral("mako is running but makoctl was not found"));
        }
        if (enabled && !env.makoDeclaresMode(QStringLiteral("do-not-disturb"))) {
            return PlanChoice::none(QString::fromUtf8(kMakoModeMissing));
        }
        return PlanChoice::of(
            {QStringLiteral("mako"),
             {{makoctl,
               {QStringLiteral("mode"), enabled ? QStringLiteral("-a") : QStringLiteral("-r"),
                QStringLiteral("do-not-disturb")}}}});
    }
    return std::nullopt;
}

PlanChoice xfce(const DesktopEnvironment& env, bool enabled) {
    const QString xfconf = env.findTool(QStringLiteral("xfconf-query"));
    if (xfconf.isEmpty()) {
        return PlanChoice::none(QStringLiteral("xfconf-query not found (install xfconf)"));
    }
    return PlanChoice::of(
        {QStringLiteral("XFCE (xfce4-notifyd)"),
         {{xfconf,
           {QStringLiteral("-c"), QStringLiteral("xfce4-notifyd"), QStringLiteral("-p"),
            QStringLiteral("/do-not-disturb"), QStringLiteral("-n"), QStringLiteral("-t"),
            QStringLiteral("bool"), QStringLiteral("-s"), boolText(enabled)}}}});
}

}  // namespace

PlanChoice choose(const DesktopEnvironment& env, bool enabled) {
    if (auto daemon = standaloneDaemon(env, enabled)) {
        return *daemon;
    }
    if (env.isDesktop(QStringLiteral("gnome")) || env.isDesktop(QStringLiteral("ubuntu"))) {
        // GNOME keeps notifications in the tray but stops showing banners.
        return GSettingsPlan::set(env, QStringLiteral("GNOME"),
                                  QStringLiteral("org.gnome.desktop.notifications"),
                                  QStringLiteral("show-banners"), boolText(!enabled));
    }
    if (env.isDesktop(QStringLiteral("x-cinnamon")) || env.isDesktop(QStringLiteral("cinnamon"))) {
        return GSettingsPlan::set(env, QStringLiteral("Cinnamon"),
                                  QStringLiteral("org.cinnamon.desktop.notifications"),
                                  QStringLiteral("display-notifications"), boolText(!enabled));
    }
    if (env.isDesktop(QStringLiteral("mate"))) {
        return GSettingsPlan::set(env, QStringLiteral("MATE"),
                                  QStringLiteral("org.mate.NotificationDaemon"),
                                  QStringLiteral("do-not-disturb"), boolText(enabled));
    }
    if (env.isDesktop(QStringLiteral("xfce"))) {
        return xfce(env, enabled);
    }
    if (env.isDesktop(QStringLiteral("kde"))) {
        // Plasma has no command-line switch, but its notification server honours inhibitions.
        return PlanChoice::of({QStringLiteral("KDE Plasma"), {}, true});
    }
    return PlanChoice::none(QStringLiteral("%1 is not GNOME, Cinnamon, MATE or XFCE, and neither "
                                           "dunst nor mako is running")
                                .arg(env.describeDesktop()));
}

}  // namespace NotificationPlans
