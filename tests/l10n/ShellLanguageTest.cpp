#include "core/shell/MainWindow.h"
#include "core/shell/SceneIds.h"
#include "core/shell/VelarionApp.h"
#include "core/shell/WindowRegistry.h"
#include "settings/LocalizationManager.h"

#include <QAction>
#include <QGuiApplication>
#include <QTest>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// The shared instance outlives each test; every test leaves it in English.
struct EnglishAfterwards {
    ~EnglishAfterwards() { LocalizationManager::shared().setLanguage(AppLanguage::english); }
};

}  // namespace

TEST(ShellLanguageTest, SwitchingToArabicTurnsOpenWindowsWithoutReopeningThem) {
    EnglishAfterwards restore;
    LocalizationManager& localization = LocalizationManager::shared();
    localization.setLanguage(AppLanguage::english);
    VelarionApp app;
    EXPECT_EQ(&app.localization(), &localization);

    MainWindow& mainWindow = app.mainWindow();
    mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
    QWidget* settings = app.windows().open(QString::fromLatin1(SceneId::kSettings));
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->windowTitle(), QStringLiteral("Settings"));
    EXPECT_EQ(mainWindow.layoutDirection(), Qt::LeftToRight);

    localization.setLanguage(AppLanguage::arabic);
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_EQ(mainWindow.layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(settings->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(app.windows().window(QString::fromLatin1(SceneId::kSettings)), settings);
    EXPECT_EQ(settings->windowTitle(), QStringLiteral("الإعدادات"));
    EXPECT_EQ(mainWindow.visitWebsiteAction()->text(),
              QStringLiteral("زيارة velarion.orvandel.com"));
    EXPECT_EQ(mainWindow.emailSupportAction()->text(), QStringLiteral("مراسلة الدعم"));

    localization.setLanguage(AppLanguage::english);
    EXPECT_EQ(mainWindow.layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(settings->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(settings->windowTitle(), QStringLiteral("Settings"));
    EXPECT_EQ(mainWindow.emailSupportAction()->text(), QStringLiteral("Email Support"));
}

TEST(ShellLanguageTest, NewApplicationShowsTheCurrentLanguage) {
    EnglishAfterwards restore;
    LocalizationManager::shared().setLanguage(AppLanguage::french);
    VelarionApp app;
    EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(app.mainWindow().emailSupportAction()->text(), QStringLiteral("Écrire au support"));
}
