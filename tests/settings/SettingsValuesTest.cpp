#include "settings/SettingsValues.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <limits>

using namespace SettingsValues;

TEST(SettingsValuesTest, ReadoutsTruncateTowardZeroAndNeverConvertANonFiniteValue) {
    // A hand-edited preference must not reach an undefined conversion.
    EXPECT_EQ(wholeNumberReadout(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("0"));
    EXPECT_EQ(wholeNumberReadout(std::numeric_limits<double>::infinity()), QStringLiteral("0"));
}

TEST(SettingsValuesTest, SlidersStayInRangeAndMoveInWholeSteps) {
    EXPECT_EQ(kOcrScanIntervalRange.bounded(0.2), 1.0);
    EXPECT_EQ(kOcrScanIntervalRange.bounded(31.0), 30.0);
    EXPECT_EQ(kOcrScanIntervalRange.bounded(7.6), 8.0);
    EXPECT_EQ(kOcrScanIntervalRange.bounded(std::numeric_limits<double>::quiet_NaN()), 1.0);
    EXPECT_EQ(kOcrScanIntervalRange.valueAtStep(99), 30.0);
    EXPECT_EQ(kOcrScanIntervalRange.valueAtStep(-3), 1.0);
}
