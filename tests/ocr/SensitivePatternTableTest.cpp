#include "ocr/PrivacyProtector.h"
#include "ocr/RecognitionTextFixer.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <vector>

// Readable failures: GoogleTest finds this by argument-dependent lookup in the record's namespace.
void PrintTo(const SensitiveMatch& match, std::ostream* os) {
    *os << rawValue(match.kind).toStdString() << ":" << match.text.toStdString();
}

namespace {

using Kind = SensitiveDataKind;

SensitiveMatch m(Kind kind, const char* text) {
    return {kind, QString::fromUtf8(text)};
}

TEST(SensitivePatternTableTest, LinesGiveExactlyTheExpectedMatchesInOrder) {
    const struct {
        const char* line;
        std::vector<SensitiveMatch> expected;
    } cases[] = {
        // Cards: unbroken digits only.
        {"4111111111111111", {m(Kind::creditCard, "4111111111111111")}},
        {"4111 1111 1111 1111", {}},
        {"5123456789012", {}},
        // Social-security numbers written 3-2-4 with every separator.
        {"123-45-6789", {m(Kind::ssn, "123-45-6789")}},
        {"123 45 6789", {m(Kind::ssn, "123 45 6789")}},
        {"123456789", {m(Kind::ssn, "123456789")}},
        // Phone numbers 3-3-4; the parenthesis has no word boundary before it.
        {"555-123-4567", {m(Kind::phoneNumber, "555-123-4567")}},
        {"(555) 123-4567", {m(Kind::phoneNumber, "555) 123-4567")}},
        {"+1 555 123 4567", {m(Kind::phoneNumber, "1 555 123 4567")}},
        // E-mail.
        {"Mail john.novak@example.com now", {m(Kind::email, "john.novak@example.com")}},
        {"not@an-address", {}},
        // Two patterns on one line: by pattern, not by position.
        {"call 555-123-4567 or mail a.b@example.org",
         {m(Kind::email, "a.b@example.org"), m(Kind::phoneNumber, "555-123-4567")}},
        // A repeated number gives a match each time.
        {"123-45-6789 and 123-45-6789", {m(Kind::ssn, "123-45-6789"), m(Kind::ssn, "123-45-6789")}},
        // Offsets are UTF-16 code units: characters outside the BMP before a match must not
        // shift the text taken out of the line.
        {"\xF0\x9F\x98\x80\xF0\x9F\x98\x80 ssn 123-45-6789", {m(Kind::ssn, "123-45-6789")}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const QList<SensitiveMatch> matches =
            PrivacyProtector::sensitiveMatches(QString::fromUtf8(c.line));
        EXPECT_EQ(std::vector<SensitiveMatch>(matches.begin(), matches.end()), c.expected);
    }
}

TEST(RecognitionTextFixerTest, SpacingMistakesInAddressesAndNumbersAreUndone) {
    const struct {
        const char* read;
        const char* fixed;
    } cases[] = {{"john. novak@example. com", "john.novak@example.com"},
                 {"anna @example.org", "anna@example.org"},
                 {"mail.example. co. uk@x", "mail.example.co.uk@x"},
                 // Marks at the edges of the words stay, outside the address.
                 {"\u2018tomas_garcia@ fabrikam.io", "\u2018tomas_garcia@fabrikam.io"},
                 {"1, lee. kim@example. com, ok", "1, lee.kim@example.com, ok"},
                 {"8, kxu@mail .example.net , 392", "8, kxu@mail.example.net , 392"},
                 {"to kim@example.com .Next", "to kim@example.com .Next"},
                 {"(anna @example.org) ok", "(anna@example.org) ok"},
                 // A sentence that ends after a complete address stays two sentences.
                 {"Write to anna@example.com. call me", "Write to anna@example.com. call me"},
                 {"See it. Then go", "See it. Then go"},
                 {"+1555 123 4567 call", "+1 555 123 4567 call"},
                 // Only a number grouped with spaces; anything else is left as read.
                 {"+1555 123 45678", "+1555 123 45678"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.read);
        EXPECT_EQ(RecognitionTextFixer::fix(QString::fromUtf8(c.read)), QString::fromUtf8(c.fixed));
    }
}

}  // namespace
