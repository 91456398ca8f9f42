#include "core/UserDefaults.h"
#include "settings/LanguageEnvironment.h"
#include "settings/LocalizationManager.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QTest>

#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

struct Fixture {
    TempDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("Velarion.conf"))};
    LocalizationManager localization{defaults, {QStringLiteral("en-GB")}};

    ~Fixture() { LanguageEnvironment::apply(AppLanguage::english); }
};

}  // namespace

TEST(LanguageEnvironmentTest, OpenWindowTurnsRightToLeftAndBackWithoutReopening) {
    Fixture f;
    LanguageEnvironment environment(f.localization);
    QMainWindow window;
    auto* label = new QLabel(&window);
    window.setCentralWidget(label);
    int retranslated = 0;
    environment.addRetranslateStep([&] {
        // By the time texts are redone, the new direction is already in place.
        EXPECT_EQ(QGuiApplication::layoutDirection(),
                  AppLanguages::layoutDirection(f.localization.language()));
        label->setText(f.localization.localized(QStringLiteral("Settings")));
        ++retranslated;
    });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.layoutDirection(), Qt::LeftToRight);

    f.localization.setLanguage(AppLanguage::arabic);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(label->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(label->text(), QStringLiteral("الإعدادات"));
    EXPECT_EQ(QLocale().language(), QLocale::Arabic);

    f.localization.setLanguage(AppLanguage::chinese);
    EXPECT_EQ(window.layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(QLocale().language(), QLocale::Chinese);
    EXPECT_EQ(QLocale().script(), QLocale::SimplifiedHanScript);
    EXPECT_EQ(label->text(), QStringLiteral("设置"));
    EXPECT_EQ(retranslated, 2);
}

TEST(LanguageEnvironmentTest, AppliesTheStartingLanguageAtOnce) {
    Fixture f;
    f.localization.setLanguage(AppLanguage::arabic);
    LanguageEnvironment environment(f.localization);
    EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::RightToLeft);
    QWidget later;
    EXPECT_EQ(later.layoutDirection(), Qt::RightToLeft);
}
