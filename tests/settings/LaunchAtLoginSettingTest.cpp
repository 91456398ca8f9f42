#include "core/Preferences.h"
#include "core/UserDefaults.h"
#include "settings/LaunchAtLoginSetting.h"
#include "settings/LoginItem.h"

#include <QFile>

#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

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
    EXPECT_EQ(f.announcedValues, (QList<bool>{true, false, true, false}));
    EXPECT_EQ(f.defaults.storedBool(QStringLiteral("launchAtLogin")), false);
}

TEST(LaunchAtLoginSettingTest, RefusedChangeSpringsBack) {
    Fixture f;
    // A plain file where the autostart folder belongs.
    QFile blocker(f.home.filePath(QStringLiteral("autostart")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    f.setting.setLaunchAtLogin(true);

    EXPECT_FALSE(f.setting.launchAtLogin());
    EXPECT_EQ(f.announcedValues, (QList<bool>{true, false}));
}
