// The shields' GNOME plans driving the real gsettings tool, with the keyfile backend writing into
// a temporary configuration folder instead of the user's dconf database.

#include "core/CommandRunner.h"
#include "shields/DesktopShield.h"
#include "shields/NotificationGuard.h"

#include "ScopedEnvironment.h"
#include "ShieldTestSupport.h"
#include "support/TempDir.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

const QString kGsettings = QStringLiteral("/usr/bin/gsettings");

class GSettingsKeyfileTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo(kGsettings).isExecutable()) << "scripts/deps installs it";
        m_env.set("GSETTINGS_BACKEND", "keyfile");
        m_env.set("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        m_env.set("XDG_CURRENT_DESKTOP", "GNOME");
        m_env.unset("GSETTINGS_SCHEMA_DIR");
        m_env.unset("VELARION_TEST_TOOLS_DIR");
    }

    QString get(const QString& schema, const QString& key) const {
        const CommandResult result = m_runner.run(kGsettings, {QStringLiteral("get"), schema, key});
        EXPECT_TRUE(result.succeeded()) << result.standardErrorText().toStdString();
        return result.standardOutputText().trimmed();
    }

    QString keyfile() const {
        QFile file(m_config.filePath(QStringLiteral("glib-2.0/settings/keyfile")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    TempDir m_config;
    ScopedEnvironment m_env;
    CommandRunner m_runner;
};

}  // namespace

TEST_F(GSettingsKeyfileTest, ShieldsFlipTheirKeysAndBringThemBackAlsoOnDestruction) {
    const QString background = QStringLiteral("org.gnome.desktop.background");
    const QString icons = QStringLiteral("show-desktop-icons");
    const QString notifications = QStringLiteral("org.gnome.desktop.notifications");
    const QString banners = QStringLiteral("show-banners");
    ASSERT_EQ(get(notifications, banners), QStringLiteral("true"));
    {
        DesktopShield shield(m_runner);
        NotificationGuard guard(m_runner);
        ASSERT_TRUE(awaitResult(shield.deactivate())) << shield.lastError().toStdString();
        EXPECT_EQ(get(background, icons), QStringLiteral("true"));
        ASSERT_TRUE(awaitResult(shield.activate())) << shield.lastError().toStdString();
        ASSERT_TRUE(awaitResult(guard.activate())) << guard.lastError().toStdString();
        EXPECT_EQ(get(background, icons), QStringLiteral("false"));
        EXPECT_EQ(get(notifications, banners), QStringLiteral("false"));
        for (const char* line : {"show-desktop-icons=false", "show-banners=false"}) {
            EXPECT_TRUE(keyfile().contains(QLatin1String(line))) << keyfile().toStdString();
        }
        ASSERT_TRUE(awaitResult(shield.deactivate())) << shield.lastError().toStdString();
        EXPECT_EQ(get(background, icons), QStringLiteral("true"));
    }
    EXPECT_EQ(get(notifications, banners), QStringLiteral("true"));
}
