#include "settings/AppLanguage.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(AppLanguageTest, RawValuesRoundTripAndNothingElseIsALanguage) {
    for (const AppLanguage language : AppLanguages::kAllCases) {
        EXPECT_EQ(AppLanguages::fromRawValue(AppLanguages::rawValue(language)), language);
    }
    for (const char* other : {"", "EN", "zh", "zh-hans", "zh-Hant", "de", " en", "fr-FR"}) {
        EXPECT_EQ(AppLanguages::fromRawValue(QString::fromLatin1(other)), std::nullopt) << other;
    }
}
