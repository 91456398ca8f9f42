#include "core/Preferences.h"
#include "core/UserDefaults.h"
#include "settings/LaunchAtLoginSetting.h"
#include "settings/LoginItem.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include "support/QtPrinters.h"
#include "support/StdoutCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

constexpr char kFailureLine[] = "[Settings] Failed to update login item: ";

struct Fixture {
    TempDir home;
    UserDefaults defaults{home.filePath(QStringLiteral("Velarion.conf"))};
    LoginItem item{home.filePath(QStringLiteral("autostart")),
                   {QStringLiteral("/usr/bin/velarion")}};
    LaunchAtLoginSetting setting{defaults, item};
    // The value seen at each notification.
    QList<bool> announcedValues;

    Fixture() {
        Preferences::registerDefaults(defaults);
        QObject::connect(&setting, &LaunchAtLoginSetting::launchAtLoginChanged,
                         [this] { announcedValues.append(setting.launchAtLogin()); });
    }

    QList<bool> announced() const { return announcedValues; }
};

}  // namespace

TEST(LaunchAtLoginSettingTest, AppearingFollowsTheItemAndLaterChangesMoveIt) {
    Fixture f;
    f.setting.refreshFromLoginItem();
    EXPECT_TRUE(f.announcedValues.isEmpty());

    // Registered by the desktop's own settings: appearing copies it without touching the item.
    ASSERT_TRUE(f.item.registerItem().succeeded());
    f.setting.refreshFromLoginItem();
    EXPECT_TRUE(f.setting.launchAtLogin());
    EXPECT_EQ(f.defaults.storedBool(QStringLiteral("launchAtLogin")), true);
    ASSERT_TRUE(QFile::remove(f.item.filePath()));
    f.setting.refreshFromLoginItem();
    EXPECT_FALSE(f.setting.launchAtLogin());
    EXPECT_FALSE(QFile::exists(f.item.filePath()));

    f.setting.setLaunchAtLogin(true);
    EXPECT_EQ(f.item.status(), LoginItem::Status::enabled);
    f.setting.setLaunchAtLogin(true);
    f.setting.setLaunchAtLogin(false);
    EXPECT_EQ(f.item.status(), LoginItem::Status::notRegistered);
    EXPECT_EQ(f.announced(), (QList<bool>{true, false, true, false}));
    EXPECT_EQ(f.defaults.storedBool(QStringLiteral("launchAtLogin")), false);
}

TEST(LaunchAtLoginSettingTest, RefusedChangeSpringsBackAndPrintsTheReasonOnce) {
    Fixture f;
    // A plain file where the autostart folder belongs.
    QFile blocker(f.home.filePath(QStringLiteral("autostart")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    StdoutCapture stdoutCapture;
    f.setting.setLaunchAtLogin(true);
    const std::string output = stdoutCapture.take();

    EXPECT_FALSE(f.setting.launchAtLogin());
    EXPECT_EQ(f.announced(), (QList<bool>{true, false}));
    EXPECT_EQ(output.rfind(kFailureLine, 0), 0u) << output;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
}

// A real process without the right to write into a read-only autostart folder (root keeps that
// right unless setpriv drops its capabilities for the child).
TEST(LaunchAtLoginSettingTest, ReadOnlyAutostartFolderSpringsBackInARealProcess) {
    TempDir home;
    const QString folder = home.filePath(QStringLiteral("config/autostart"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    QString program = QStringLiteral(L10N_PROBE);
    QStringList arguments{QStringLiteral("login"), folder, QStringLiteral("on")};
    if (::geteuid() == 0) {
        if (!QFile::exists(QStringLiteral("/usr/bin/setpriv"))) {
            GTEST_SKIP() << "running as root without setpriv to drop the override";
        }
        const QString dropped = QStringLiteral("-dac_override,-dac_read_search,-fowner");
        arguments = QStringList{QStringLiteral("--inh-caps=") + dropped,
                                QStringLiteral("--bounding-set=") + dropped, QStringLiteral("--"),
                                program} +
                    arguments;
        program = QStringLiteral("/usr/bin/setpriv");
    }
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    probe.setProcessEnvironment(environment);
    probe.start(program, arguments);
    ASSERT_TRUE(probe.waitForFinished(60'000));
    EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
    const QStringList lines =
        QString::fromUtf8(probe.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << lines.join(u'|').toStdString();
    EXPECT_TRUE(lines[0].startsWith(QLatin1String(kFailureLine)));
    EXPECT_EQ(lines[1], QStringLiteral("launchAtLogin=false"));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/velarion.desktop")));
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
