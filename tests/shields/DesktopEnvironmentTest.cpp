// Plan selection per desktop, against a described session: tools in a temporary folder, schema
// files written there, chosen running processes.

#include "shields/DesktopEnvironment.h"

#include "FakeTools.h"
#include "shields/DesktopIconPlans.h"
#include "shields/NotificationPlans.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

class Session {
public:
    Session() {
        env.toolDirs = {tools.dir()};
        const QString schemas = tools.dir() + QStringLiteral("/schemas");
        QDir().mkpath(schemas);
        env.schemaDirs = {schemas};
        env.extensionDirs = {tools.dir() + QStringLiteral("/extensions")};
    }

    Session& desktop(const QString& names) {
        env.desktops = names.toLower().split(QLatin1Char(':'));
        return *this;
    }
    Session& tool(const QString& name) {
        tools.add(name);
        return *this;
    }
    // A schema file declaring `schema` with one key; `file` defaults to the schema's own name.
    Session& schema(const QString& schema, const QString& key, QString file = {}) {
        if (file.isEmpty()) {
            file = schema;
        }
        QFile xml(env.schemaDirs.first() + QLatin1Char('/') + file +
                  QStringLiteral(".gschema.xml"));
        EXPECT_TRUE(xml.open(QIODevice::Append));
        xml.write(QStringLiteral("<schemalist><schema id=\"%1\" path=\"/x/\">"
                                 "<key name=\"%2\" type=\"b\"><default>true</default></key>"
                                 "</schema></schemalist>\n")
                      .arg(schema, key)
                      .toUtf8());
        return *this;
    }
    Session& extension(const QString& uuid) {
        const QString dir = env.extensionDirs.first() + QLatin1Char('/') + uuid;
        QDir().mkpath(dir);
        QFile(dir + QStringLiteral("/metadata.json")).open(QIODevice::WriteOnly);
        return *this;
    }
    Session& running(const QString& process) {
        env.runningProcesses.insert(process);
        return *this;
    }

    QString path(const QString& tool) const { return tools.dir() + QLatin1Char('/') + tool; }

    FakeTools tools;
    DesktopEnvironment env;
};

QStringList commandLines(const PlanChoice& choice) {
    QStringList lines;
    if (choice.plan) {
        for (const PlanCommand& command : choice.plan->commands) {
            lines << QFileInfo(command.program).fileName() + QLatin1Char(' ') +
                         command.arguments.join(QLatin1Char(' '));
        }
    }
    return lines;
}

}  // namespace

TEST(DesktopEnvironmentTest, FindsSchemaKeysOnlyInTheirOwnSchema) {
    Session s;
    s.schema(QStringLiteral("org.nemo.desktop"), QStringLiteral("desktop-layout"),
             QStringLiteral("org.nemo"));
    EXPECT_TRUE(
        s.env.hasSettingsKey(QStringLiteral("org.nemo.desktop"), QStringLiteral("desktop-layout")));
    EXPECT_FALSE(s.env.hasSettingsKey(QStringLiteral("org.nemo.desktop"),
                                      QStringLiteral("show-desktop-icons")));
    EXPECT_FALSE(s.env.hasSettingsKey(QStringLiteral("org.nemo.preferences"),
                                      QStringLiteral("desktop-layout")));
}

TEST(DesktopEnvironmentTest, MatchesProcessNamesAsTheKernelTruncatesThem) {
    Session s;
    s.running(QStringLiteral("mate-notificati"));
    EXPECT_TRUE(s.env.isRunning(QStringLiteral("mate-notification-daemon")));
    EXPECT_FALSE(s.env.isRunning(QStringLiteral("mako")));
}

TEST(DesktopEnvironmentTest, ReadsTheSessionFromTheProcessEnvironment) {
    const QByteArray savedDesktop = qgetenv("XDG_CURRENT_DESKTOP");
    qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    qputenv(DesktopEnvironment::kTestToolsDirVariable, "/opt/fake-tools");
    const DesktopEnvironment env = DesktopEnvironment::fromSystem();
    qputenv("XDG_CURRENT_DESKTOP", savedDesktop);
    qunsetenv(DesktopEnvironment::kTestToolsDirVariable);

    EXPECT_EQ(env.desktops, QStringList({QStringLiteral("ubuntu"), QStringLiteral("gnome")}));
    EXPECT_EQ(env.toolDirs, QStringList{QStringLiteral("/opt/fake-tools")});
    EXPECT_TRUE(env.runningProcesses.contains(QStringLiteral("shields_tests")))
        << "this test process is one of the user's";
}

TEST(DesktopIconPlansTest, PicksEachDesktopsOwnSwitchWithHiddenAndShownValues) {
    struct Case {
        const char* desktop;
        std::function<void(Session&)> setUp;
        QStringList hide;
        QStringList show;
    };
    const auto gsettings = [](const char* schema, const char* key, const char* file = "") {
        return [=](Session& s) {
            s.tool(QStringLiteral("gsettings"))
                .schema(QString::fromUtf8(schema), QString::fromUtf8(key), QString::fromUtf8(file));
        };
    };
    const Case cases[] = {
        {"ubuntu:GNOME",
         [](Session& s) {
             s.tool(QStringLiteral("gnome-extensions"))
                 .extension(QStringLiteral("ding@rastersoft.com"));
         },
         {QStringLiteral("gnome-extensions disable ding@rastersoft.com")},
         {QStringLiteral("gnome-extensions enable ding@rastersoft.com")}},
        {"GNOME",
         gsettings("org.gnome.desktop.background", "show-desktop-icons"),
         {QStringLiteral("gsettings set org.gnome.desktop.background show-desktop-icons false")},
         {QStringLiteral("gsettings set org.gnome.desktop.background show-desktop-icons true")}},
        {"X-Cinnamon",
         gsettings("org.nemo.desktop", "desktop-layout", "org.nemo"),
         {QStringLiteral("gsettings set org.nemo.desktop desktop-layout 'false::false'")},
         {QStringLiteral("gsettings set org.nemo.desktop desktop-layout 'true::false'")}},
        {"X-Cinnamon",
         gsettings("org.nemo.desktop", "show-desktop-icons", "org.nemo"),
         {QStringLiteral("gsettings set org.nemo.desktop show-desktop-icons false")},
         {QStringLiteral("gsettings set org.nemo.desktop show-desktop-icons true")}},
        {"MATE",
         gsettings("org.mate.background", "show-desktop-icons"),
         {QStringLiteral("gsettings set org.mate.background show-desktop-icons false")},
         {QStringLiteral("gsettings set org.mate.background show-desktop-icons true")}},
        {"XFCE",
         [](Session& s) { s.tool(QStringLiteral("xfconf-query")); },
         {QStringLiteral("xfconf-query -c xfce4-desktop -p /desktop-icons/style -n -t int -s 0")},
         {QStringLiteral("xfconf-query -c xfce4-desktop -p /desktop-icons/style -n -t int -s 2")}},
        {"LXQt",
         [](Session& s) { s.tool(QStringLiteral("pcmanfm-qt")); },
         {QStringLiteral("pcmanfm-qt --desktop-off")},
         {QStringLiteral("pcmanfm-qt --desktop --profile=lxqt")}},
    };
    for (const Case& c : cases) {
        Session s;
        s.desktop(QString::fromUtf8(c.desktop));
        c.setUp(s);
        EXPECT_EQ(commandLines(DesktopIconPlans::choose(s.env, true)), c.hide) << c.desktop;
        EXPECT_EQ(commandLines(DesktopIconPlans::choose(s.env, false)), c.show) << c.desktop;
    }
}

TEST(DesktopIconPlansTest, PlansUseTheToolsAbsolutePath) {
    Session s;
    s.desktop(QStringLiteral("XFCE")).tool(QStringLiteral("xfconf-query"));
    const PlanChoice choice = DesktopIconPlans::choose(s.env, true);
    ASSERT_TRUE(choice.plan);
    EXPECT_EQ(choice.plan->commands.first().program, s.path(QStringLiteral("xfconf-query")));
}

TEST(DesktopIconPlansTest, NamesWhatIsMissingWhenNoPlanFits) {
    struct Case {
        const char* desktop;
        std::function<void(Session&)> setUp;
        const char* missing;
    };
    const Case cases[] = {
        {"GNOME", [](Session&) {}, "gsettings not found (install libglib2.0-bin)"},
        {"MATE", [](Session& s) { s.tool(QStringLiteral("gsettings")); },
         "settings key org.mate.background show-desktop-icons not installed"},
        {"XFCE", [](Session&) {}, "xfconf-query not found (install xfconf)"},
        {"KDE", [](Session&) {}, "KDE Plasma offers no command-line switch for its desktop icons"},
        {"i3", [](Session&) {}, "\"i3\" is not GNOME, Cinnamon, MATE, XFCE or LXQt"},
        {"", [](Session&) {}, "an unnamed desktop is not GNOME, Cinnamon, MATE, XFCE or LXQt"},
    };
    for (const Case& c : cases) {
        Session s;
        if (*c.desktop) {
            s.desktop(QString::fromUtf8(c.desktop));
        }
        c.setUp(s);
        const PlanChoice choice = DesktopIconPlans::choose(s.env, true);
        EXPECT_FALSE(choice.plan) << c.desktop;
        EXPECT_EQ(choice.missing, QString::fromUtf8(c.missing)) << c.desktop;
    }
}

TEST(NotificationPlansTest, RunningStandaloneDaemonWinsOverTheDesktopsSetting) {
    Session s;
    s.desktop(QStringLiteral("GNOME"))
        .tool(QStringLiteral("gsettings"))
        .schema(QStringLiteral("org.gnome.desktop.notifications"), QStringLiteral("show-banners"));
    EXPECT_EQ(commandLines(NotificationPlans::choose(s.env, true)),
              QStringList{QStringLiteral(
                  "gsettings set org.gnome.desktop.notifications show-banners false")});

    s.tool(QStringLiteral("dunstctl")).running(QStringLiteral("dunst"));
    EXPECT_EQ(commandLines(NotificationPlans::choose(s.env, true)),
              QStringList{QStringLiteral("dunstctl set-paused true")});
    EXPECT_EQ(commandLines(NotificationPlans::choose(s.env, false)),
              QStringList{QStringLiteral("dunstctl set-paused false")});
}

TEST(NotificationPlansTest, PicksEachDesktopsDoNotDisturbSwitch) {
    struct Case {
        const char* desktop;
        std::function<void(Session&)> setUp;
        QString on;
        QString off;
    };
    const Case cases[] = {
        {"sway",
         [](Session& s) { s.tool(QStringLiteral("makoctl")).running(QStringLiteral("mako")); },
         QStringLiteral("makoctl mode -a do-not-disturb"),
         QStringLiteral("makoctl mode -r do-not-disturb")},
        {"X-Cinnamon",
         [](Session& s) {
             s.tool(QStringLiteral("gsettings"))
                 .schema(QStringLiteral("org.cinnamon.desktop.notifications"),
                         QStringLiteral("display-notifications"));
         },
         QStringLiteral(
             "gsettings set org.cinnamon.desktop.notifications display-notifications false"),
         QStringLiteral(
             "gsettings set org.cinnamon.desktop.notifications display-notifications true")},
        {"MATE",
         [](Session& s) {
             s.tool(QStringLiteral("gsettings"))
                 .schema(QStringLiteral("org.mate.NotificationDaemon"),
                         QStringLiteral("do-not-disturb"));
         },
         QStringLiteral("gsettings set org.mate.NotificationDaemon do-not-disturb true"),
         QStringLiteral("gsettings set org.mate.NotificationDaemon do-not-disturb false")},
        {"XFCE", [](Session& s) { s.tool(QStringLiteral("xfconf-query")); },
         QStringLiteral("xfconf-query -c xfce4-notifyd -p /do-not-disturb -n -t bool -s true"),
         QStringLiteral("xfconf-query -c xfce4-notifyd -p /do-not-disturb -n -t bool -s false")},
    };
    for (const Case& c : cases) {
        Session s;
        s.desktop(QString::fromUtf8(c.desktop));
        c.setUp(s);
        EXPECT_EQ(commandLines(NotificationPlans::choose(s.env, true)), QStringList{c.on})
            << c.desktop;
        EXPECT_EQ(commandLines(NotificationPlans::choose(s.env, false)), QStringList{c.off})
            << c.desktop;
    }
}

TEST(NotificationPlansTest, NamesWhatIsMissingWhenNoPlanFits) {
    Session daemonWithoutTool;
    daemonWithoutTool.desktop(QStringLiteral("i3")).running(QStringLiteral("dunst"));
    EXPECT_EQ(NotificationPlans::choose(daemonWithoutTool.env, true).missing,
              QStringLiteral("dunst is running but dunstctl was not found"));

    Session nothing;
    nothing.desktop(QStringLiteral("i3"));
    EXPECT_EQ(NotificationPlans::choose(nothing.env, true).missing,
              QStringLiteral("\"i3\" is not GNOME, Cinnamon, MATE or XFCE, and neither dunst nor "
                             "mako is running"));

    Session kde;
    kde.desktop(QStringLiteral("KDE"));
    EXPECT_FALSE(NotificationPlans::choose(kde.env, true).plan);
}
