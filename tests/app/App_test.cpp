#include "app/App.h"

#include "framework/Exceptions.h"
#include "framework/System.h"
#include "platform/carbon/CarbonLibrary.h"

#include <gtest/gtest.h>

class UserNameTest : public ::testing::Test {
protected:
    void SetUp() override { carbon::InstallCarbonLibrary(); }
    void TearDown() override {
        carbon::SetUserRecordForTests(std::nullopt);
        carbon::InstallCarbonLibrary();
    }
    App app;
};

TEST_F(UserNameTest, ShortAndFullNamesComeFromTheUserRecord) {
    carbon::SetUserRecordForTests(carbon::UserRecord{"jdoe", "Jane Doe"});
    EXPECT_EQ(app.UserName(true), "jdoe");
    EXPECT_EQ(app.UserName(false), "Jane Doe");
    EXPECT_EQ(carbon::LiveStringCount(), 0);
}

TEST_F(UserNameTest, EmptyFullNameGivesEmptyText) {
    carbon::SetUserRecordForTests(carbon::UserRecord{"jdoe", ""});
    EXPECT_EQ(app.UserName(false), "");
    EXPECT_EQ(carbon::LiveStringCount(), 0);
}

TEST_F(UserNameTest, NoNameFromTheSystemGivesEmptyText) {
    carbon::SetUserRecordForTests(carbon::UserRecord{std::nullopt, std::nullopt});
    EXPECT_EQ(app.UserName(false), "");
    EXPECT_EQ(app.UserName(true), "");
}

TEST_F(UserNameTest, CharactersAboveTheBasicPlaneSurviveWhole) {
    // U+1F600 and U+1D11E take two UTF-16 units each; the buffer must hold all units.
    const std::string name = "Zo\xC3\xAB \xF0\x9F\x98\x80 \xF0\x9D\x84\x9E";
    carbon::SetUserRecordForTests(carbon::UserRecord{"zoe", name});
    EXPECT_EQ(app.UserName(false), name);
    EXPECT_EQ(carbon::LiveStringCount(), 0);
}

TEST_F(UserNameTest, RealUserDatabaseGivesTheLoginName) {
    EXPECT_FALSE(app.UserName(true).empty());
}

TEST_F(UserNameTest, MissingSystemFunctionRaisesNamingIt) {
    carbon::SetUserRecordForTests(carbon::UserRecord{"jdoe", "Jane Doe"});
    fw::System::UnregisterLibraryFunction("Carbon", "CFStringGetCString");
    try {
        (void)app.UserName(false);
        FAIL() << "expected FunctionNotFoundException";
    } catch (const fw::FunctionNotFoundException& e) {
        EXPECT_EQ(e.functionName, "CFStringGetCString");
        EXPECT_EQ(e.libraryName, "Carbon");
    }
    EXPECT_EQ(carbon::LiveStringCount(), 0);
}

TEST(BuildDate, EveryCallGivesANewDateOfTheBuildMoment) {
    App app;
    auto first = BuildDate(app);
    auto second = BuildDate(app);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.get(), second.get());
    for (const auto& date : {first, second}) {
        EXPECT_DOUBLE_EQ(date->TotalSeconds(), 3315485418.0);
        EXPECT_EQ(date->Year(), 2009);
        EXPECT_EQ(date->Month(), 1);
        EXPECT_EQ(date->Day(), 22);
        EXPECT_EQ(date->Hour(), 16);
        EXPECT_EQ(date->Minute(), 10);
        EXPECT_EQ(date->Second(), 18);
    }
    first->SetTotalSeconds(0);
    EXPECT_DOUBLE_EQ(second->TotalSeconds(), 3315485418.0);
}
