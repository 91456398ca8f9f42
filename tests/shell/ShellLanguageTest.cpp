#include "shell/MainWindow.h"
#include "shell/SceneIds.h"
#include "shell/VelarionApp.h"
#include "shell/WindowRegistry.h"
#include "settings/LocalizationManager.h"

#include <QAction>
#include <QTest>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(ShellLanguageTest, ApplicationStartsInTheCurrentLanguageAndTurnsOpenWindowsWithoutReopening) {
    LocalizationManager& localization = LocalizationManager::shared();
    localization.setLanguage(AppLanguage::french);
    VelarionApp app;
    EXPECT_EQ(&app.localization(), &localization);
    MainWindow& mainWindow = app.mainWindow();
    EXPECT_EQ(mainWindow.emailSupportAction()->text(), QStringLiteral("Écrire au support"));

    mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow, 20'000));
    QWidget* settings = app.windows().open(QString::fromLatin1(SceneId::kSettings));
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->windowTitle(), QStringLiteral("Réglages"));
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

    // The shared instance outlives the test: leave it in English.
    localization.setLanguage(AppLanguage::english);
    EXPECT_EQ(mainWindow.layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(settings->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(settings->windowTitle(), QStringLiteral("Settings"));
    EXPECT_EQ(mainWindow.emailSupportAction()->text(), QStringLiteral("Email Support"));
}
