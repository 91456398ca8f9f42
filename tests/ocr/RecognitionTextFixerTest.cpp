#include "ocr/RecognitionTextFixer.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

struct FixCase {
    const char* read;
    const char* fixed;
};

void PrintTo(const FixCase& c, std::ostream* os) {
    *os << c.read;
}

class RecognitionTextFixerTest : public ::testing::TestWithParam<FixCase> {};

TEST_P(RecognitionTextFixerTest, SpacingMistakesInAddressesAndNumbersAreUndone) {
    EXPECT_EQ(RecognitionTextFixer::fix(QString::fromUtf8(GetParam().read)),
              QString::fromUtf8(GetParam().fixed));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecognitionTextFixerTest,
    ::testing::Values(
        FixCase{"john. novak@example. com", "john.novak@example.com"},
        FixCase{"Mail: john. novak@example. com today", "Mail: john.novak@example.com today"},
        FixCase{"anna @example.org", "anna@example.org"},
        FixCase{"anna@ example.org", "anna@example.org"},
        FixCase{"mail.example. co. uk@x", "mail.example.co.uk@x"},
        // A sentence that ends after a complete address stays two sentences.
        FixCase{"Write to anna@example.com. call me", "Write to anna@example.com. call me"},
        FixCase{"See it. Then go", "See it. Then go"}, FixCase{"end. next line", "end. next line"},
        FixCase{"+1555 123 4567 call", "+1 555 123 4567 call"},
        FixCase{"Phone +1555 123 4567", "Phone +1 555 123 4567"},
        // Only a number grouped with spaces; anything else is left as read.
        FixCase{"+1555-123-4567", "+1555-123-4567"}, FixCase{"+15551234567", "+15551234567"},
        FixCase{"+1555 123 45678", "+1555 123 45678"}, FixCase{"", ""}));

}  // namespace
