#include "mail/FolderitemExtensions.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

TEST(ResourcesFolder, IsTheResourcesFolderBesideTheExecutablesFolderEvenWhenMissing) {
    FolderitemExtensions::ReleaseResourcesFolder();
    const fs::path executable = fs::read_symlink("/proc/self/exe");
    const auto folder = FolderitemExtensions::ResourcesFolder();
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->AbsolutePath(),
              (executable.parent_path().parent_path() / "Resources").string());
    EXPECT_EQ(FolderitemExtensions::ResourcesFolder(), folder);
}

TEST(ResourcesFolder, IsLookedUpAnewOnlyAfterItWasReleased) {
    const auto first = FolderitemExtensions::ResourcesFolder();
    FolderitemExtensions::ReleaseResourcesFolder();
    const auto second = FolderitemExtensions::ResourcesFolder();
    EXPECT_NE(second, first);
    EXPECT_EQ(second->AbsolutePath(), first->AbsolutePath());
}
