#include "mail/FolderitemExtensions.h"

#include "framework/Exceptions.h"
#include "framework/ExecutableFile.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Every test starts and ends with nothing cached and the real executable.
class ResourcesFolder : public ::testing::Test {
protected:
    void SetUp() override { FolderitemExtensions::ReleaseResourcesFolder(); }
    void TearDown() override {
        FolderitemExtensions::ReleaseResourcesFolder();
        fw::SetExecutableFileForTests("");
    }
    testsupport::ScratchDir bundle_;
};

} // namespace

TEST_F(ResourcesFolder, IsBesideTheExecutablesFolderAndGivenEvenWhenMissing) {
    fw::SetExecutableFileForTests(bundle_.File("Stampora/bin/stampora"));
    const auto folder = FolderitemExtensions::ResourcesFolder();
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->AbsolutePath(), bundle_.File("Stampora/Resources"));
    EXPECT_FALSE(fs::exists(folder->AbsolutePath()));
}

TEST_F(ResourcesFolder, IsFoundOnceAndKeptUntilReleased) {
    fw::SetExecutableFileForTests(bundle_.File("Stampora/bin/stampora"));
    const auto first = FolderitemExtensions::ResourcesFolder();
    fw::SetExecutableFileForTests(bundle_.File("Moved/bin/stampora"));
    EXPECT_EQ(FolderitemExtensions::ResourcesFolder(), first);

    FolderitemExtensions::ReleaseResourcesFolder();
    EXPECT_EQ(FolderitemExtensions::ResourcesFolder()->AbsolutePath(),
              bundle_.File("Moved/Resources"));
}

TEST_F(ResourcesFolder, AnExecutableWithoutTwoFoldersAboveItRaises) {
    fw::SetExecutableFileForTests("/stampora");
    EXPECT_THROW(FolderitemExtensions::ResourcesFolder(), fw::NilObjectException);
}

