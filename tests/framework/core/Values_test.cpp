#include "framework/core/Date.h"
#include "framework/core/NumberRules.h"
#include "framework/core/SingleInstance.h"
#include "framework/core/TextFunctions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

// Doubles become integers by truncation toward zero, saturating, with NaN as 0;
// text becomes a number by its leading number, or 0.
TEST(Numbers, ConvertAtTheEdges) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();
    const std::pair<double, int32_t> ints[] = {{24.7, 24}, {-0.5, 0}, {-52.5, -52}, {419.999, 419},
                                               {1e12, kMax}, {-1e12, kMin}, {INFINITY, kMax}, {NAN, 0}};
    for (const auto& [in, out] : ints) EXPECT_EQ(fw::ToInt32(in), out) << in;
    const std::pair<const char*, double> texts[] = {
        {"24.7", 24.7}, {"  18", 18}, {"abc", 0}, {"", 0}, {"12pt", 12},
        // An exponent without digits is not part of the number.
        {"30e", 30}, {"12E", 12}, {"10e+", 10}, {"9.5e-", 9.5}, {"2e3", 2000}, {"1.5E-1x", 0.15},
        {"-.5", -0.5}, {"+7", 7}, {"5.", 5}, {".", 0}, {"-", 0}, {"- 5", 0}, {"--5", 0}, {"\t\n 4", 4},
        // Only decimal numbers, and only finite ones.
        {"inf", 0}, {"nan", 0}, {"0x1A", 0}, {"1e999", 0}};
    for (const auto& [in, out] : texts) EXPECT_DOUBLE_EQ(fw::CDbl(in), out) << in;
}

TEST(Text, FunctionsAtTheEdges) {
    const std::pair<std::string, std::string> rows[] = {
        // Upper-case hexadecimal without leading zeros; negatives as 32 bits.
        {fw::Hex(0), "0"}, {fw::Hex(10), "A"}, {fw::Hex(255), "FF"}, {fw::Hex(256), "100"}, {fw::Hex(-1), "FFFFFFFF"},
        {fw::Right("00F", 2), "0F"}, {fw::Right("a", 5), "a"}, {fw::Right("abc", 0), ""}, {fw::Right("abc", -1), ""},
        {fw::Lowercase("0A9F-Zz"), "0a9f-zz"}, {fw::Lowercase("\xC3\x84"), "\xC3\x84"},   // ASCII letters only
        // Every occurrence, without rescanning what was put in.
        {fw::ReplaceAll("a\\ b\\\\c", "\\", ""), "a bc"}, {fw::ReplaceAll("aaa", "a", "aa"), "aaaaaa"},
        {fw::ReplaceAll("abc", "", "x"), "abc"},
        {fw::Replace("a-b-c", "-", "+"), "a+b-c"}, {fw::Replace("abc", "x", "+"), "abc"}, {fw::Replace("abc", "", "+"), "abc"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(rows[i].first, rows[i].second) << "row " << i;
}

TEST(Date, CountsSecondsFrom1904AsWallClockAndAbbreviatesTheMonth) {
    const fw::Date epoch(0), lastSecond(3004300799.0);   // 1999-03-14 23:59:59
    EXPECT_EQ(std::vector<int>({epoch.Year(), epoch.Month(), epoch.Day(), epoch.Hour()}), std::vector<int>({1904, 1, 1, 0}));
    EXPECT_EQ(std::vector<int>({lastSecond.Year(), lastSecond.Month(), lastSecond.Day(), lastSecond.Hour(),
                                lastSecond.Second()}),
              std::vector<int>({1999, 3, 14, 23, 59}));
    EXPECT_GT(fw::Date().TotalSeconds(), 3315485418.0);   // now, not the epoch

    // The short date of the locale the tests run in (C.UTF-8), as the post mark and the about box show it.
    for (auto [seconds, text] : {std::pair{3315485418.0, "22 Jan 2009"}, {3392620200.0, "4 Jul 2011"}, {0.0, "1 Jan 1904"}})
        EXPECT_EQ(fw::Date(seconds).AbbreviatedDate(), text);
}

// One socket per display: the same display however it is written, another host's or
// another number apart, and none where there is no shared display.
TEST(SingleInstance, NamesOneSocketPerDisplay) {
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"xcb", ":0", "x11-0.socket"}, {"xcb", ":0.1", "x11-0.socket"}, {"xcb", "unix:0", "x11-0.socket"},
        {"xcb", ":10", "x11-10.socket"}, {"xcb", "localhost:10.0", "x11-localhost-10.socket"}, {"xcb", "", ""},
        {"xcb", "garbage", ""}, {"wayland", "/run/user/7/w 0", "wayland-_run_user_7_w_0.socket"},
        {"cocoa", "", "cocoa.socket"}, {"offscreen", ":0", ""}, {"minimal", ":0", ""}};
    for (const auto& [platform, display, name] : rows)
        EXPECT_EQ(fw::SingleInstance::SocketName(platform, display), name) << platform << " " << display;
}
