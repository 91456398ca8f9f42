#include "core/UserDefaults.h"
#include "settings/LanguageEnvironment.h"
#include "settings/LocalizationManager.h"

#include <QGuiApplication>
#include <QLocale>

#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(LanguageEnvironmentTest, AppliesTheLanguageAtOnceAndTurnsDirectionAndLocaleBeforeTexts) {
    TempDir dir;
    UserDefaults defaults(dir.filePath(QStringLiteral("Velarion.conf")));
    LocalizationManager localization(defaults, {QStringLiteral("ar-EG")});
    LanguageEnvironment environment(localization);
    EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(QLocale().language(), QLocale::Arabic);

    std::vector<std::pair<Qt::LayoutDirection, QLocale::Script>> seenByStep;
    environment.addRetranslateStep(
        [&] { seenByStep.emplace_back(QGuiApplication::layoutDirection(), QLocale().script()); });
    localization.setLanguage(AppLanguage::chinese);
    localization.setLanguage(AppLanguage::arabic);
    localization.setLanguage(AppLanguage::english);
    EXPECT_EQ(seenByStep, (std::vector<std::pair<Qt::LayoutDirection, QLocale::Script>>{
                              {Qt::LeftToRight, QLocale::SimplifiedHanScript},
                              {Qt::RightToLeft, QLocale::ArabicScript},
                              {Qt::LeftToRight, QLocale::LatinScript}}));
}
