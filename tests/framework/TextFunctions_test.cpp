#include "framework/TextFunctions.h"

#include <gtest/gtest.h>

TEST(TextFunctions, HexGivesUpperCaseDigitsWithoutLeadingZeros) {
    EXPECT_EQ(fw::Hex(0), "0");
    EXPECT_EQ(fw::Hex(9), "9");
    EXPECT_EQ(fw::Hex(10), "A");
    EXPECT_EQ(fw::Hex(255), "FF");
    EXPECT_EQ(fw::Hex(256), "100");
    EXPECT_EQ(fw::Hex(-1), "FFFFFFFF");
}

TEST(TextFunctions, RightKeepsTheTailAndTheWholeTextWhenShort) {
    EXPECT_EQ(fw::Right("00F", 2), "0F");
    EXPECT_EQ(fw::Right("ab", 2), "ab");
    EXPECT_EQ(fw::Right("a", 5), "a");
    EXPECT_EQ(fw::Right("abc", 0), "");
    EXPECT_EQ(fw::Right("abc", -1), "");
}

TEST(TextFunctions, LowercaseTouchesOnlyAsciiLetters) {
    EXPECT_EQ(fw::Lowercase("0A9F-Zz"), "0a9f-zz");
    EXPECT_EQ(fw::Lowercase("\xC3\x84"), "\xC3\x84");
}

TEST(TextFunctions, ReplaceAllReplacesEveryOccurrenceWithoutRescanning) {
    EXPECT_EQ(fw::ReplaceAll("a\\ b\\\\c", "\\", ""), "a bc");
    EXPECT_EQ(fw::ReplaceAll("\\\\\\", "\\", ""), "");
    EXPECT_EQ(fw::ReplaceAll("plain", "\\", ""), "plain");
    EXPECT_EQ(fw::ReplaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(fw::ReplaceAll("abc", "", "x"), "abc");
}

TEST(TextFunctions, ReplaceChangesOnlyTheFirstOccurrence) {
    EXPECT_EQ(fw::Replace("a-b-c", "-", "+"), "a+b-c");
    EXPECT_EQ(fw::Replace("abc", "x", "+"), "abc");
    EXPECT_EQ(fw::Replace("abc", "", "+"), "abc");
}
