// Plan selection per desktop, against a described session: tools in a temporary folder, schema
// files written there, chosen running processes.

#include "shields/DesktopEnvironment.h"

#include "FakeTools.h"
#include "ScopedEnvironment.h"
#include "shields/DesktopIconPlans.h"
#include "shields/NotificationPlans.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

struct SessionSetup {
    const char* desktop = "";
    QStringList tools = {};
    QString schema = {};  // "<schema id> <key> [<file name>]"
    QString running = {};
    QString extension = {};
    QByteArray makoConfig = {};  // written as mako's configuration when not empty
};

struct Session {
    explicit Session(const SessionSetup& setup) {
        if (*setup.desktop) {
            env.desktops = QString::fromUtf8(setup.desktop).toLower().split(QLatin1Char(':'));
        }
        env.toolDirs = {tools.dir()};
        for (const QString& tool : setup.tools) {
            tools.add(tool);
        }
        env.schemaDirs = {tools.dir() + QStringLiteral("/schemas")};
        QDir().mkpath(env.schemaDirs.first());
        if (!setup.schema.isEmpty()) {
            const QStringList p = setup.schema.split(QLatin1Char(' '));
            QFile xml(env.schemaDirs.first() + QLatin1Char('/') + p.value(2, p[0]) +
                      QStringLiteral(".gschema.xml"));
            EXPECT_TRUE(xml.open(QIODevice::WriteOnly));
            xml.write(QStringLiteral("<schemalist><schema id=\"%1\"><key name=\"%2\" type=\"b\"/>"
                                     "</schema></schemalist>")
                          .arg(p[0], p[1])
                          .toUtf8());
        }
        if (!setup.running.isEmpty()) {
            env.runningProcesses.insert(setup.running);
        }
        env.makoConfigFiles = {tools.dir() + QStringLiteral("/mako-config")};
        if (!setup.makoConfig.isEmpty()) {
            QFile config(env.makoConfigFiles.first());
            EXPECT_TRUE(config.open(QIODevice::WriteOnly));
            config.write(setup.makoConfig);
        }
        env.extensionDirs = {tools.dir() + QStringLiteral("/extensions")};
        if (!setup.extension.isEmpty()) {
            const QString dir = env.extensionDirs.first() + QLatin1Char('/') + setup.extension;
            QDir().mkpath(dir);
            QFile(dir + QStringLiteral("/metadata.json")).open(QIODevice::WriteOnly);
        }
    }

    FakeTools tools;
    DesktopEnvironment env;
};

// "<tool file name> <arguments>" per command; the program must be the found tool's full path.
QStringList commandLines(const PlanChoice& choice, const Session& session) {
    QStringList lines;
    for (const PlanCommand& command : choice.plan ? choice.plan->commands : QList<PlanCommand>{}) {
        EXPECT_EQ(QFileInfo(command.program).path(), session.tools.dir());
        lines << QFileInfo(command.program).fileName() + QLatin1Char(' ') +
                     command.arguments.join(QLatin1Char(' '));
    }
    return lines;
}

}  // namespace

TEST(DesktopEnvironmentTest, ReadsTheSessionFromTheProcessEnvironment) {
    ScopedEnvironment scoped;
    scoped.set("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    scoped.set("VELARION_TEST_TOOLS_DIR", "/opt/fake-tools");
    const DesktopEnvironment env = DesktopEnvironment::fromSystem();
    EXPECT_EQ(env.desktops, QStringList({QStringLiteral("ubuntu"), QStringLiteral("gnome")}));
    EXPECT_EQ(env.toolDirs, QStringList{QStringLiteral("/opt/fake-tools")});
    EXPECT_TRUE(env.runningProcesses.contains(QStringLiteral("shields_tests")));
}

TEST(DesktopIconPlansTest, HidingWritesTheNoIconsValueAndShowingTheDefault) {
    const QStringList gsettings{QStringLiteral("gsettings")};
    const struct {
        SessionSetup setup;
        QString hide;
        QString show;
    } cases[] = {
        {{"ubuntu:GNOME",
          {QStringLiteral("gnome-extensions")},
          {},
          {},
          QStringLiteral("ding@rastersoft.com")},
         QStringLiteral("gnome-extensions disable ding@rastersoft.com"),
         QStringLiteral("gnome-extensions enable ding@rastersoft.com")},
        {{"GNOME", gsettings, QStringLiteral("org.gnome.desktop.background show-desktop-icons")},
         QStringLiteral("gsettings set org.gnome.desktop.background show-desktop-icons false"),
         QStringLiteral("gsettings set org.gnome.desktop.background show-desktop-icons true")},
        {{"X-Cinnamon", gsettings, QStringLiteral("org.nemo.desktop desktop-layout org.nemo")},
         QStringLiteral("gsettings set org.nemo.desktop desktop-layout 'false::false'"),
         QStringLiteral("gsettings set org.nemo.desktop desktop-layout 'true::false'")},
        {{"XFCE", {QStringLiteral("xfconf-query")}},
         QStringLiteral("xfconf-query -c xfce4-desktop -p /desktop-icons/style -n -t int -s 0"),
         QStringLiteral("xfconf-query -c xfce4-desktop -p /desktop-icons/style -n -t int -s 2")},
        {{"LXQt", {QStringLiteral("pcmanfm-qt")}},
         QStringLiteral("pcmanfm-qt --desktop-off"),
         QStringLiteral("pcmanfm-qt --desktop --profile=lxqt")},
    };
    for (const auto& c : cases) {
        const Session s(c.setup);
        EXPECT_EQ(commandLines(DesktopIconPlans::choose(s.env, true), s), QStringList{c.hide});
        EXPECT_EQ(commandLines(DesktopIconPlans::choose(s.env, false), s), QStringList{c.show});
    }
}

TEST(DesktopIconPlansTest, NamesWhatIsMissingWhenNoPlanFits) {
    const struct {
        SessionSetup setup;
        const char* missing;
    } cases[] = {
        {{"GNOME"}, "gsettings not found (install libglib2.0-bin)"},
        {{"MATE", {QStringLiteral("gsettings")}},
         "settings key org.mate.background show-desktop-icons not installed"},
        {{"KDE"}, "KDE Plasma offers no command-line switch for its desktop icons"},
        {{"i3"}, "\"i3\" is not GNOME, Cinnamon, MATE, XFCE or LXQt"},
    };
    for (const auto& c : cases) {
        const PlanChoice choice = DesktopIconPlans::choose(Session(c.setup).env, true);
        EXPECT_FALSE(choice.plan);
        EXPECT_EQ(choice.missing, QString::fromUtf8(c.missing));
    }
}

TEST(NotificationPlansTest, RunningDaemonWinsOverTheDesktopAndEachSwitchHasItsDirection) {
    const QStringList gsettings{QStringLiteral("gsettings")};
    const struct {
        SessionSetup setup;
        QString on;
        QString off;
    } cases[] = {
        {{"GNOME", gsettings, QStringLiteral("org.gnome.desktop.notifications show-banners")},
         QStringLiteral("gsettings set org.gnome.desktop.notifications show-banners false"),
         QStringLiteral("gsettings set org.gnome.desktop.notifications show-banners true")},
        {{"GNOME",
          {QStringLiteral("gsettings"), QStringLiteral("dunstctl")},
          QStringLiteral("org.gnome.desktop.notifications show-banners"),
          QStringLiteral("dunst")},
         QStringLiteral("dunstctl set-paused true"),
         QStringLiteral("dunstctl set-paused false")},
        {{"sway",
          {QStringLiteral("makoctl")},
          {},
          QStringLiteral("mako"),
          {},
          "font=sans\n\n  [mode=do-not-disturb]\ninvisible=1\n"},
         QStringLiteral("makoctl mode -a do-not-disturb"),
         QStringLiteral("makoctl mode -r do-not-disturb")},
        {{"MATE", gsettings, QStringLiteral("org.mate.NotificationDaemon do-not-disturb")},
         QStringLiteral("gsettings set org.mate.NotificationDaemon do-not-disturb true"),
         QStringLiteral("gsettings set org.mate.NotificationDaemon do-not-disturb false")},
        {{"XFCE", {QStringLiteral("xfconf-query")}},
         QStringLiteral("xfconf-query -c xfce4-notifyd -p /do-not-disturb -n -t bool -s true"),
         QStringLiteral("xfconf-query -c xfce4-notifyd -p /do-not-disturb -n -t bool -s false")},
    };
    for (const auto& c : cases) {
        const Session s(c.setup);
        EXPECT_EQ(commandLines(NotificationPlans::choose(s.env, true), s), QStringList{c.on});
        EXPECT_EQ(commandLines(NotificationPlans::choose(s.env, false), s), QStringList{c.off});
    }
    EXPECT_EQ(NotificationPlans::choose(Session({"i3", {}, {}, QStringLiteral("dunst")}).env, true)
                  .missing,
              QStringLiteral("dunst is running but dunstctl was not found"));
}
