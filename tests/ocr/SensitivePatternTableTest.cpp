#include "ocr/PrivacyProtector.h"
#include "ocr/SensitivePatternTable.h"

#include "support/QtPrinters.h"

#include <QtConcurrent/QtConcurrentRun>

#include <gtest/gtest.h>

#include <vector>

// Readable failures: GoogleTest finds this by argument-dependent lookup in the record's namespace.
void PrintTo(const SensitiveMatch& match, std::ostream* os) {
    *os << rawValue(match.kind).toStdString() << ":" << match.text.toStdString();
}

namespace {

using Kind = SensitiveDataKind;

struct PatternCase {
    const char* line;
    std::vector<SensitiveMatch> expected;
};

void PrintTo(const PatternCase& c, std::ostream* os) {
    *os << c.line;
}

SensitiveMatch m(Kind kind, const char* text) {
    return {kind, QString::fromUtf8(text)};
}

class SensitivePatternTableTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(SensitivePatternTableTest, LineGivesExactlyTheExpectedMatchesInOrder) {
    const PatternCase& c = GetParam();
    const QList<SensitiveMatch> matches =
        PrivacyProtector::sensitiveMatches(QString::fromUtf8(c.line));
    EXPECT_EQ(std::vector<SensitiveMatch>(matches.begin(), matches.end()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SensitivePatternTableTest,
    ::testing::Values(
        // Cards: unbroken digits only.
        PatternCase{"4111111111111111", {m(Kind::creditCard, "4111111111111111")}},
        PatternCase{"4111 1111 1111 1111", {}},
        PatternCase{"card 5500000000000004 ok", {m(Kind::creditCard, "5500000000000004")}},
        PatternCase{"5123456789012", {}},
        // Social-security numbers written 3-2-4 with every separator.
        PatternCase{"123-45-6789", {m(Kind::ssn, "123-45-6789")}},
        PatternCase{"123.45.6789", {m(Kind::ssn, "123.45.6789")}},
        PatternCase{"123 45 6789", {m(Kind::ssn, "123 45 6789")}},
        PatternCase{"123456789", {m(Kind::ssn, "123456789")}},
        // Phone numbers 3-3-4; the parenthesis has no word boundary before it.
        PatternCase{"555-123-4567", {m(Kind::phoneNumber, "555-123-4567")}},
        PatternCase{"5551234567", {m(Kind::phoneNumber, "5551234567")}},
        PatternCase{"(555) 123-4567", {m(Kind::phoneNumber, "555) 123-4567")}},
        PatternCase{"+1 555 123 4567", {m(Kind::phoneNumber, "1 555 123 4567")}},
        // E-mail.
        PatternCase{"Mail john.novak@example.com now", {m(Kind::email, "john.novak@example.com")}},
        PatternCase{"not@an-address", {}},
        // Two patterns on one line: by pattern, not by position.
        PatternCase{"call 555-123-4567 or mail a.b@example.org",
                    {m(Kind::email, "a.b@example.org"), m(Kind::phoneNumber, "555-123-4567")}},
        // A repeated number gives a match each time.
        PatternCase{"123-45-6789 and 123-45-6789",
                    {m(Kind::ssn, "123-45-6789"), m(Kind::ssn, "123-45-6789")}},
        // Offsets are UTF-16 code units: characters outside the BMP before a match must not
        // shift the text taken out of the line.
        PatternCase{"\xF0\x9F\x98\x80\xF0\x9F\x98\x80 ssn 123-45-6789",
                    {m(Kind::ssn, "123-45-6789")}},
        PatternCase{"", {}}));

TEST(SensitivePatternTableConcurrencyTest, AllFourPatternsCompileOnceAndServeManyThreads) {
    QList<QFuture<int>> futures;
    for (int i = 0; i < 8; ++i) {
        futures << QtConcurrent::run([] {
            return static_cast<int>(
                SensitivePatternTable::sensitiveMatches(QStringLiteral("a@b.co 123-45-6789"))
                    .size());
        });
    }
    for (QFuture<int>& future : futures) {
        EXPECT_EQ(future.result(), 2);
    }
    EXPECT_EQ(SensitivePatternTable::compiledPatternCount(), 4);
}

}  // namespace
