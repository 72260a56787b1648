#include "framework/SpecialFolder.h"
#include "framework/Volume.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::ScratchDir;

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) setenv(name_, old_->c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::string PrivateName() { return "stampora-" + std::to_string(::getuid()); }

mode_t Mode(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

} // namespace

TEST(SpecialFolder, DocumentsAndDesktopFollowTheHomeSeamAndComeBackWithoutIt) {
    ScratchDir home;
    fw::SpecialFolder::SetHomeForTests(home.Path());
    EXPECT_EQ(fw::SpecialFolder::Documents()->AbsolutePath(), home.Path() + "/Documents");
    EXPECT_EQ(fw::SpecialFolder::Desktop()->AbsolutePath(), home.Path() + "/Desktop");

    fw::SpecialFolder::SetHomeForTests("");
    // The test main gives this program a home of its own; never the tester's.
    const std::string realHome = std::getenv("HOME");
    EXPECT_EQ(fw::SpecialFolder::Documents()->AbsolutePath(), realHome + "/Documents");
}

TEST(SpecialFolderTemporary, IsAPrivateFolderMadeInTheRuntimeFolder) {
    ScratchDir runtime;
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.Path());
    const auto temporary = fw::SpecialFolder::Temporary();
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(temporary->AbsolutePath(), runtime.File(PrivateName()));
    EXPECT_TRUE(fs::is_directory(temporary->AbsolutePath()));
    EXPECT_EQ(Mode(temporary->AbsolutePath()), 0700u);
}

TEST(SpecialFolderTemporary, AnExistingFolderOpenToOthersIsClosedAgain) {
    ScratchDir runtime;
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.Path());
    const std::string path = runtime.File(PrivateName());
    fs::create_directory(path);
    ::chmod(path.c_str(), 0777);
    const auto temporary = fw::SpecialFolder::Temporary();
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(temporary->AbsolutePath(), path);
    EXPECT_EQ(Mode(path), 0700u);
}

TEST(SpecialFolderTemporary, ALinkUnderTheNameIsRefusedAndTheNextPlaceUsed) {
    ScratchDir runtime;
    ScratchDir tmp;
    ScratchDir elsewhere;
    fs::create_directory_symlink(elsewhere.Path(), runtime.File(PrivateName()));
    ::chmod(elsewhere.Path().c_str(), 0755);
    ScopedEnv runtimeEnv("XDG_RUNTIME_DIR", runtime.Path());
    ScopedEnv tmpEnv("TMPDIR", tmp.Path());

    const auto temporary = fw::SpecialFolder::Temporary();
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(temporary->AbsolutePath(), tmp.File(PrivateName()));
    EXPECT_EQ(Mode(elsewhere.Path()), 0755u);
}

TEST(SpecialFolderTemporary, AParentOthersCanWriteWithoutTheStickyBitIsPassedOver) {
    ScratchDir open;
    ScratchDir tmp;
    ::chmod(open.Path().c_str(), 0777);
    ScopedEnv runtimeEnv("XDG_RUNTIME_DIR", open.Path());
    ScopedEnv tmpEnv("TMPDIR", tmp.Path());

    const auto temporary = fw::SpecialFolder::Temporary();
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(temporary->AbsolutePath(), tmp.File(PrivateName()));
    EXPECT_FALSE(fs::exists(open.File(PrivateName())));
}

TEST(SpecialFolderTemporary, TheSeamIsUsedAsGivenUntilCleared) {
    ScratchDir runtime;
    ScratchDir seam;
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.Path());
    fw::SpecialFolder::SetTemporaryForTests(seam.Path());
    EXPECT_EQ(fw::SpecialFolder::Temporary()->AbsolutePath(), seam.Path());
    fw::SpecialFolder::SetTemporaryForTests("");
    EXPECT_EQ(fw::SpecialFolder::Temporary()->AbsolutePath(), runtime.File(PrivateName()));
}

TEST(Volume, TheBootVolumeIsTheRootUnlessTheSeamMovesIt) {
    EXPECT_EQ(fw::Volume(0)->AbsolutePath(), "/");
    EXPECT_EQ(fw::Volume(1), nullptr);
    EXPECT_EQ(fw::Volume(-1), nullptr);

    ScratchDir root;
    fw::SetBootVolumeRootForTests(root.Path());
    EXPECT_EQ(fw::Volume(0)->AbsolutePath(), root.Path());
    fw::SetBootVolumeRootForTests("");
    EXPECT_EQ(fw::Volume(0)->AbsolutePath(), "/");
}

TEST(SpecialFolder, MissingDocumentsFolderIsMade) {
    testsupport::ScratchDir home;
    fw::SpecialFolder::SetHomeForTests(home.Path());
    auto documents = fw::SpecialFolder::Documents();
    fw::SpecialFolder::SetHomeForTests("");
    ASSERT_TRUE(documents);
    EXPECT_TRUE(documents->Directory());
}
