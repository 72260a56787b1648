#include "framework/Date.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <cctype>

TEST(Date, TotalSecondsCountFrom1904AsWallClock) {
    const fw::Date epoch(0);
    EXPECT_EQ(epoch.Year(), 1904);
    EXPECT_EQ(epoch.Month(), 1);
    EXPECT_EQ(epoch.Day(), 1);
    EXPECT_EQ(epoch.Hour(), 0);
    // The last second of a day.
    const fw::Date leap(3004300799.0);   // 1999-03-14 23:59:59
    EXPECT_EQ(leap.Year(), 1999);
    EXPECT_EQ(leap.Month(), 3);
    EXPECT_EQ(leap.Day(), 14);
    EXPECT_EQ(leap.Hour(), 23);
    EXPECT_EQ(leap.Second(), 59);
}

TEST(Date, NowIsAfterTheBuildMoment) {
    EXPECT_GT(fw::Date().TotalSeconds(), 3315485418.0);
}

TEST(Date, AbbreviatedDateNamesTheMonthAsAWord) {
    QLocale::setDefault(QLocale::c());
    const std::string text = fw::Date(3315485418.0).AbbreviatedDate();
    EXPECT_NE(text.find("2009"), std::string::npos) << text;
    EXPECT_NE(text.find("22"), std::string::npos) << text;
    EXPECT_NE(text.find("Jan"), std::string::npos) << text;
    EXPECT_EQ(text.find("January"), std::string::npos) << text;
    EXPECT_EQ(text.find('/'), std::string::npos) << text;
    // Short enough for the post mark's 200-pixel line.
    EXPECT_LE(text.size(), 20u) << text;
}
