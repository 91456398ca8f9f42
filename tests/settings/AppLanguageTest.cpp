#include "settings/AppLanguage.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(AppLanguageTest, RawValuesRoundTripAndNothingElseIsALanguage) {
    const QStringList raw{QStringLiteral("en"), QStringLiteral("ar"), QStringLiteral("zh-Hans"),
                          QStringLiteral("es"), QStringLiteral("fr")};
    ASSERT_EQ(AppLanguages::kAllCases.size(), 5u);
    for (size_t i = 0; i < AppLanguages::kAllCases.size(); ++i) {
        const AppLanguage language = AppLanguages::kAllCases[i];
        EXPECT_EQ(AppLanguages::rawValue(language), raw[static_cast<qsizetype>(i)]);
        EXPECT_EQ(AppLanguages::fromRawValue(raw[static_cast<qsizetype>(i)]), language);
    }
    for (const char* other : {"", "EN", "zh", "zh-hans", "zh-Hant", "de", " en", "fr-FR"}) {
        EXPECT_EQ(AppLanguages::fromRawValue(QString::fromLatin1(other)), std::nullopt) << other;
    }
}

TEST(AppLanguageTest, DisplayNamesAreOwnNamesAndOnlyArabicIsRightToLeft) {
    QStringList names;
    for (const AppLanguage language : AppLanguages::kAllCases) {
        names.append(AppLanguages::displayName(language));
        EXPECT_EQ(AppLanguages::layoutDirection(language),
                  language == AppLanguage::arabic ? Qt::RightToLeft : Qt::LeftToRight);
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("English"), QStringLiteral("العربية"),
                                  QStringLiteral("中文"), QStringLiteral("Español"),
                                  QStringLiteral("Français")}));
}
