#include "shields/DesktopIconPlans.h"

#include "shields/DesktopEnvironment.h"
#include "shields/GSettingsPlan.h"

namespace DesktopIconPlans {
namespace {

QString boolText(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

PlanChoice gnome(const DesktopEnvironment& env, bool hidden) {
    // Current GNOME draws icons only through the extension; switching it off removes them.
    const QString extensions = env.findTool(QStringLiteral("gnome-extensions"));
    if (!extensions.isEmpty() && env.hasExtension(QString::fromLatin1(kDingExtension))) {
        return PlanChoice::of({QStringLiteral("GNOME desktop icons extension"),
                               {{extensions,
                                 {hidden ? QStringLiteral("disable") : QStringLiteral("enable"),
                                  QString::fromLatin1(kDingExtension)}}}});
    }
    // Older GNOME, and sessions where Nautilus still draws the desktop.
    return GSettingsPlan::set(env, QStringLiteral("GNOME (Nautilus)"),
                              QStringLiteral("org.gnome.desktop.background"),
                              QStringLiteral("show-desktop-icons"), boolText(!hidden));
}

PlanChoice cinnamon(const DesktopEnvironment& env, bool hidden) {
    // Nemo 3.8 and later keep the desktop layout as "<on primary>::<on others>".
    const QString schema = QStringLiteral("org.nemo.desktop");
    if (env.hasSettingsKey(schema, QStringLiteral("desktop-layout"))) {
        return GSettingsPlan::set(
            env, QStringLiteral("Cinnamon (Nemo)"), schema, QStringLiteral("desktop-layout"),
            hidden ? QStringLiteral("'false::false'") : QStringLiteral("'true::false'"));
    }
    return GSettingsPlan::set(env, QStringLiteral("Cinnamon (Nemo)"), schema,
                              QStringLiteral("show-desktop-icons"), boolText(!hidden));
}

PlanChoice mate(const DesktopEnvironment& env, bool hidden) {
    return GSettingsPlan::set(env, QStringLiteral("MATE (Caja)"),
                              QStringLiteral("org.mate.background"),
                              QStringLiteral("show-desktop-icons"), boolText(!hidden));
}

PlanChoice xfce(const DesktopEnvironment& env, bool hidden) {
    const QString xfconf = env.findTool(QStringLiteral("xfconf-query"));
    if (xfconf.isEmpty()) {
        return PlanChoice::none(QStringLiteral("xfconf-query not found (install xfconf)"));
    }
    // xfdesktop's icon style: 0 none, 2 file and launcher icons (its default).
    return PlanChoice::of(
        {QStringLiteral("XFCE (xfdesktop)"),
         {{xfconf,
           {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-p"),
            QStringLiteral("/desktop-icons/style"), QStringLiteral("-n"), QStringLiteral("-t"),
            QStringLiteral("int"), QStringLiteral("-s"),
            hidden ? QStringLiteral("0") : QStringLiteral("2")}}}});
}

PlanChoice lxqt(const DesktopEnvironment& env, bool hidden) {
    const QString pcmanfm = env.findTool(QStringLiteral("pcmanfm-qt"));
    if (pcmanfm.isEmpty()) {
        return PlanChoice::none(QStringLiteral("pcmanfm-qt not found"));
    }
    // Both switches are handed to the running desktop instance, which then exits at once.
    const QStringList arguments =
        hidden ? QStringList{QStringLiteral("--desktop-off")}
               : QStringList{QStringLiteral("--desktop"), QStringLiteral("--profile=lxqt")};
    return PlanChoice::of({QStringLiteral("LXQt (pcmanfm-qt)"), {{pcmanfm, arguments}}});
}

}  // namespace

PlanChoice choose(const DesktopEnvironment& env, bool hidden) {
    if (env.isDesktop(QStringLiteral("gnome")) || env.isDesktop(QStringLiteral("ubuntu"))) {
        return gnome(env, hidden);
    }
    if (env.isDesktop(QStringLiteral("x-cinnamon")) || env.isDesktop(QStringLiteral("cinnamon"))) {
        return cinnamon(env, hidden);
    }
    if (env.isDesktop(QStringLiteral("mate"))) {
        return mate(env, hidden);
    }
    if (env.isDesktop(QStringLiteral("xfce"))) {
        return xfce(env, hidden);
    }
    if (env.isDesktop(QStringLiteral("lxqt"))) {
        return lxqt(env, hidden);
    }
    if (env.isDesktop(QStringLiteral("kde"))) {
        return PlanChoice::none(
            QStringLiteral("KDE Plasma offers no command-line switch for its desktop icons"));
    }
    return PlanChoice::none(
        QStringLiteral("%1 is not GNOME, Cinnamon, MATE, XFCE or LXQt").arg(env.describeDesktop()));
}

}  // namespace DesktopIconPlans
