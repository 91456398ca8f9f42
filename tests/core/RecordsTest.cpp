#include "core/ProtectedWindow.h"
#include "core/SensitiveDataKind.h"

#include <QSet>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <unordered_set>

TEST(RecordsTest, ProtectedWindowsWithTheSameIdAreOneWhateverTheirTitles) {
    const ProtectedWindow a{42, QStringLiteral("Mail"), QStringLiteral("Thunderbird")};
    const ProtectedWindow b{42, QStringLiteral("Mail — Inbox"), QStringLiteral("Other")};
    const ProtectedWindow c{43, QStringLiteral("Mail"), QStringLiteral("Thunderbird")};
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    // Both hashes must agree with the equality.
    EXPECT_EQ((QSet<ProtectedWindow>{a, b}).size(), 1);
    EXPECT_EQ((std::unordered_set<ProtectedWindow>{a, b, c}).size(), 2u);
}

TEST(RecordsTest, SensitiveDataKindRawValuesRoundTripExactly) {
    for (const SensitiveDataKind kind : kAllSensitiveDataKinds) {
        EXPECT_EQ(sensitiveDataKindFromRawValue(rawValue(kind)), kind);
    }
    for (const char16_t* wrong : {u"credit card", u"SSN ", u" SSN", u"", u"email", u"Phone"}) {
        EXPECT_FALSE(sensitiveDataKindFromRawValue(wrong).has_value())
            << QString::fromUtf16(wrong).toStdString();
    }
}
