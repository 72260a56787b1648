#include "framework/SpecialFolder.h"
#include "framework/Volume.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::ScratchDir;

// The private temporary folder goes in the runtime folder, or in TMPDIR when the
// runtime folder is unsafe; it is the user's alone whatever was there before.
TEST(SpecialFolderTemporary, IsAPrivateFolderInTheFirstSafePlace) {
    const std::string name = "stampora-" + std::to_string(::getuid());
    const auto mode = [](const auto& p) { return unsigned(fs::symlink_status(p).permissions()); };
    const struct {
        const char* why;
        std::function<void(const ScratchDir& runtime, const ScratchDir& elsewhere)> prepare;
        bool inRuntime;
    } rows[] = {
        {"fresh", [](auto&, auto&) {}, true},
        {"existing folder open to others", [&](auto& runtime, auto&) {
             fs::create_directory(runtime.File(name));
             ::chmod(runtime.File(name).c_str(), 0777);
         }, true},
        {"link under the name", [&](auto& runtime, auto& elsewhere) {
             fs::create_directory_symlink(elsewhere.Path(), runtime.File(name));
         }, false},
        {"parent others can write, no sticky bit", [](auto& runtime, auto&) { ::chmod(runtime.Path().c_str(), 0777); }, false},
    };
    std::map<std::string, std::optional<std::string>> saved;
    for (const char* variable : {"XDG_RUNTIME_DIR", "TMPDIR"})
        saved[variable] = std::getenv(variable) ? std::optional<std::string>(std::getenv(variable)) : std::nullopt;
    for (const auto& row : rows) {
        ScratchDir runtime, tmp, elsewhere;
        ::chmod(elsewhere.Path().c_str(), 0755);
        row.prepare(runtime, elsewhere);
        setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
        setenv("TMPDIR", tmp.Path().c_str(), 1);
        const auto temporary = fw::SpecialFolder::Temporary();
        ASSERT_NE(temporary, nullptr) << row.why;
        const std::string path = (row.inRuntime ? runtime : tmp).File(name);
        EXPECT_EQ(temporary->AbsolutePath(), path) << row.why;
        EXPECT_TRUE(fs::is_directory(fs::symlink_status(path))) << row.why;
        EXPECT_EQ(std::pair(mode(path), mode(elsewhere.Path())), std::pair(0700u, 0755u)) << row.why;
        EXPECT_EQ(fs::is_directory(fs::symlink_status(runtime.File(name))), row.inRuntime) << row.why;
    }
    for (const auto& [variable, value] : saved) value ? setenv(variable.c_str(), value->c_str(), 1) : unsetenv(variable.c_str());
}

TEST(SpecialFolder, DocumentsIsMadeInTheHomeBesideTheDesktopAndOnlyTheBootVolumeExists) {
    ScratchDir home;
    fw::SpecialFolder::SetHomeForTests(home.Path());
    const auto documents = fw::SpecialFolder::Documents();
    EXPECT_EQ(fw::SpecialFolder::Desktop()->AbsolutePath(), home.File("Desktop"));
    fw::SpecialFolder::SetHomeForTests("");
    ASSERT_TRUE(documents);
    EXPECT_TRUE(documents->AbsolutePath() == home.File("Documents") && fs::is_directory(home.File("Documents")));
    EXPECT_EQ(fw::Volume(0)->AbsolutePath(), "/");
    EXPECT_TRUE(fw::Volume(1) == nullptr && fw::Volume(-1) == nullptr);
}
