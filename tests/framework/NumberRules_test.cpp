#include "framework/NumberRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(NumberRules, DoubleToInt32TruncatesTowardZero) {
    EXPECT_EQ(fw::ToInt32(24.7), 24);
    EXPECT_EQ(fw::ToInt32(-0.5), 0);
    EXPECT_EQ(fw::ToInt32(-52.5), -52);
    EXPECT_EQ(fw::ToInt32(419.999), 419);
}

TEST(NumberRules, DoubleToInt32SaturatesAndMapsNaNToZero) {
    EXPECT_EQ(fw::ToInt32(1e12), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(fw::ToInt32(-1e12), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(fw::ToInt32(std::numeric_limits<double>::infinity()), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(fw::ToInt32(std::nan("")), 0);
}

TEST(NumberRules, TextToNumberReadsTheLeadingNumberOrGivesZero) {
    EXPECT_DOUBLE_EQ(fw::CDbl("24.7"), 24.7);
    EXPECT_DOUBLE_EQ(fw::CDbl("  18"), 18.0);
    EXPECT_DOUBLE_EQ(fw::CDbl("abc"), 0.0);
    EXPECT_DOUBLE_EQ(fw::CDbl(""), 0.0);
    EXPECT_DOUBLE_EQ(fw::CDbl("12pt"), 12.0);
}
