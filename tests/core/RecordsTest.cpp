#include "core/ProtectedWindow.h"
#include "core/SensitiveDataKind.h"
#include "core/WindowInfo.h"

#include <QSet>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <tuple>
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

    const ProtectedWindow chosen =
        ProtectedWindow::from({77, QStringLiteral("Bank"), QStringLiteral("Firefox"), false});
    EXPECT_EQ(std::tie(chosen.id, chosen.title, chosen.appName),
              std::make_tuple(WindowId{77}, QStringLiteral("Bank"), QStringLiteral("Firefox")));
}

TEST(RecordsTest, SensitiveDataKindRawValuesRoundTripExactly) {
    const QStringList expected{QStringLiteral("Email"), QStringLiteral("Credit Card"),
                               QStringLiteral("Phone Number"), QStringLiteral("SSN")};
    QStringList raw;
    for (const SensitiveDataKind kind : kAllSensitiveDataKinds) {
        raw.append(rawValue(kind));
        EXPECT_EQ(sensitiveDataKindFromRawValue(rawValue(kind)), kind);
    }
    EXPECT_EQ(raw, expected) << "all cases, in order";
    for (const char16_t* wrong : {u"credit card", u"SSN ", u" SSN", u"", u"email", u"Phone"}) {
        EXPECT_FALSE(sensitiveDataKindFromRawValue(wrong).has_value())
            << QString::fromUtf16(wrong).toStdString();
    }
}
