#include "settings/LocalizationManager.h"
#include "settings/TranslationTable.h"
#include "shell/MainWindow.h"
#include "shell/PopoverWindow.h"
#include "shell/SceneIds.h"
#include "shell/TrayController.h"
#include "shell/VelarionApp.h"
#include "shell/WindowRegistry.h"

#include <QAction>
#include <QSet>
#include <QTest>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(ShellLanguageTest, ApplicationStartsInTheCurrentLanguageAndTurnsOpenWindowsWithoutReopening) {
    LocalizationManager& localization = LocalizationManager::shared();
    localization.setLanguage(AppLanguage::french);
    VelarionApp app;
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
}

// A key the shell shows that the table lacks would stay English in every other language.
TEST(ShellLanguageTest, EveryTextTheShellShowsHasATranslation) {
    QSet<QString> asked;
    const auto record = [&asked](const QString& key) {
        asked.insert(key);
        return key;
    };
    VelarionApp app;
    app.mainWindow().setTranslator(record);
    app.windows().setTranslator(record);
    for (const char* scene : {SceneId::kSettings, SceneId::kHelp, SceneId::kUpdate,
                              SceneId::kCameraSetup, SceneId::kBroadcast}) {
        ASSERT_NE(app.windows().open(QString::fromLatin1(scene)), nullptr) << scene;
    }
    app.windows().retranslate();
    PopoverWindow popover;
    TrayController tray(popover);
    tray.setTranslator(record);

    // At least the five window titles, the help menu's title and entries, and the tray's two.
    EXPECT_GE(asked.size(), 11);
    const TranslationTable& table = TranslationTable::instance();
    for (const QString& key : asked) {
        EXPECT_NE(table.find(key, AppLanguage::french), nullptr) << key.toStdString();
    }
}
