#include "mail/CleanOnQuit.h"

#include "framework/SpecialFolder.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::ScratchDir;

namespace {

constexpr const char* kRootName = "CleanOnQuitcom.pixalune.stampora";

// Reaches the module's manager, which the program itself never hands out.
struct CleanOnQuitProbe : CleanOnQuit {
    static const void* Manager() { return myDestructionManager.get(); }
    static void AfterListing(std::function<void(const std::string&)> hook) { AfterListingForTests = std::move(hook); }
};

bool ListedAsHidden(const std::string& folder, const std::string& name) {
    return ReadFile(folder + "/.hidden").find(name + "\n") != std::string::npos;
}

bool IsUid(const std::string& text) {
    return text.size() == 18 &&
           text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// Each test gets its own Documents folder and starts and ends unconfigured, the way
// a run of the program does.
class CleanOnQuitTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::SpecialFolder::SetHomeForTests(home_.Path());
        fs::create_directory(Documents());
    }
    void TearDown() override {
        EndOfProgram();
        fw::SpecialFolder::SetHomeForTests("");
    }
    static void EndOfProgram() {
        CleanOnQuit::ReleaseRootFolder();
        CleanOnQuit::ReleaseDestructionManager();
    }
    std::string Documents() const { return home_.File("Documents"); }
    std::string Root() const { return Documents() + "/" + kRootName; }

    ScratchDir home_;
    ScratchDir elsewhere_;
};

} // namespace

TEST_F(CleanOnQuitTest, ConfigureMakesTheHiddenRootInDocumentsAndTheEndDeletesIt) {
    CleanOnQuit::Configure(nullptr);
    ASSERT_NE(CleanOnQuit::RootFolder, nullptr);
    EXPECT_EQ(CleanOnQuit::RootFolder->AbsolutePath(), Root());
    EXPECT_TRUE(fs::is_directory(Root()));
    EXPECT_TRUE(ListedAsHidden(Documents(), kRootName));
    EXPECT_NE(CleanOnQuitProbe::Manager(), nullptr);

    EndOfProgram();
    EXPECT_FALSE(fs::exists(Root()));
    EXPECT_TRUE(fs::is_directory(Documents()));
}

TEST_F(CleanOnQuitTest, ConfigureWhileTheRootExistsChangesNothingWhateverFolderIsPassed) {
    CleanOnQuit::Configure(nullptr);
    const auto root = CleanOnQuit::RootFolder;
    const void* manager = CleanOnQuitProbe::Manager();
    fs::create_directory(Root() + "/kept");

    CleanOnQuit::Configure(nullptr);
    CleanOnQuit::Configure(fw::FolderItem::FromPath(elsewhere_.File("other")));
    EXPECT_EQ(CleanOnQuit::RootFolder, root);
    EXPECT_EQ(CleanOnQuitProbe::Manager(), manager);
    EXPECT_TRUE(fs::exists(Root() + "/kept"));
    EXPECT_FALSE(fs::exists(elsewhere_.File("other")));
}

TEST_F(CleanOnQuitTest, ConfigureWithAFolderMakesThatFolderTheRoot) {
    CleanOnQuit::Configure(fw::FolderItem::FromPath(elsewhere_.File("mine")));
    EXPECT_TRUE(fs::is_directory(elsewhere_.File("mine")));
    EXPECT_TRUE(ListedAsHidden(elsewhere_.Path(), "mine"));
    EXPECT_FALSE(fs::exists(Root()));

    const auto item = CleanOnQuit::Child("Zinglet.jpg");
    EXPECT_EQ(item->Parent()->Parent()->AbsolutePath(), elsewhere_.File("mine"));
    EndOfProgram();
    EXPECT_FALSE(fs::exists(elsewhere_.File("mine")));
}

TEST_F(CleanOnQuitTest, EachChildIsANewSubfolderHoldingAnItemNotYetMade) {
    const auto first = CleanOnQuit::Child("Zinglet.jpg");
    const auto second = CleanOnQuit::Child("Zinglet.jpg");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->Name(), "Zinglet.jpg");
    EXPECT_NE(first->Parent()->AbsolutePath(), second->Parent()->AbsolutePath());
    for (const auto& item : {first, second}) {
        const auto subfolder = item->Parent();
        EXPECT_EQ(subfolder->Parent()->AbsolutePath(), Root());
        EXPECT_TRUE(IsUid(subfolder->Name())) << subfolder->Name();
        EXPECT_TRUE(fs::is_directory(subfolder->AbsolutePath()));
        EXPECT_TRUE(subfolder->Visible());
        EXPECT_FALSE(fs::exists(item->AbsolutePath()));
    }
    EXPECT_TRUE(ListedAsHidden(Documents(), kRootName));
}

TEST_F(CleanOnQuitTest, ARootRemovedDuringTheRunIsMadeAgainHiddenByTheNextChild) {
    CleanOnQuit::Configure(nullptr);
    const void* oldManager = CleanOnQuitProbe::Manager();
    fs::remove_all(Root());
    fs::remove(Documents() + "/.hidden");

    const auto item = CleanOnQuit::Child("Zinglet.jpg");
    // Had the old manager gone after the new root was made, it would have taken it.
    EXPECT_TRUE(fs::is_directory(item->Parent()->AbsolutePath()));
    EXPECT_EQ(item->Parent()->Parent()->AbsolutePath(), Root());
    EXPECT_TRUE(ListedAsHidden(Documents(), kRootName));
    EXPECT_NE(CleanOnQuitProbe::Manager(), nullptr);
    EXPECT_NE(CleanOnQuitProbe::Manager(), oldManager);

    EndOfProgram();
    EXPECT_FALSE(fs::exists(Root()));
}

TEST_F(CleanOnQuitTest, ARootLeftByAnEarlierRunIsUsedAsItIsAndDeletedAtTheEnd) {
    fs::create_directories(Root() + "/0123456789abcdef01");
    { std::ofstream(Root() + "/0123456789abcdef01/Zinglet.jpg") << "old card"; }
    { std::ofstream(Documents() + "/letter.txt") << "mine"; }

    CleanOnQuit::Configure(nullptr);
    EXPECT_EQ(ReadFile(Root() + "/0123456789abcdef01/Zinglet.jpg"), "old card");
    CleanOnQuit::Child("Zinglet.jpg");

    EndOfProgram();
    EXPECT_FALSE(fs::exists(Root()));
    EXPECT_EQ(ReadFile(Documents() + "/letter.txt"), "mine");
}

TEST_F(CleanOnQuitTest, LinksInsideTheRootAreRemovedAndWhatTheyPointToIsKept) {
    fs::create_directories(elsewhere_.File("photos/deep"));
    { std::ofstream(elsewhere_.File("photos/deep/holiday.jpg")) << "photo"; }
    { std::ofstream(elsewhere_.File("notes.txt")) << "notes"; }

    const auto item = CleanOnQuit::Child("Zinglet.jpg");
    const std::string subfolder = item->Parent()->AbsolutePath();
    fs::create_directory_symlink(elsewhere_.File("photos"), Root() + "/photos");
    fs::create_symlink(elsewhere_.File("notes.txt"), subfolder + "/notes");
    fs::create_symlink(elsewhere_.File("gone"), subfolder + "/dangling");

    EndOfProgram();
    EXPECT_FALSE(fs::exists(fs::symlink_status(Root())));
    EXPECT_EQ(ReadFile(elsewhere_.File("photos/deep/holiday.jpg")), "photo");
    EXPECT_EQ(ReadFile(elsewhere_.File("notes.txt")), "notes");
}

TEST_F(CleanOnQuitTest, AFolderSwappedForALinkWhileTheEndDeletesIsNeverFollowed) {
    const auto item = CleanOnQuit::Child("Zinglet.jpg");
    const std::string subfolder = item->Parent()->AbsolutePath();
    fs::create_directories(subfolder + "/inner");
    { std::ofstream(subfolder + "/inner/card.jpg") << "card"; }
    fs::create_directories(elsewhere_.File("victim/inner"));
    { std::ofstream(elsewhere_.File("victim/inner/card.jpg")) << "precious"; }
    // Right after the subfolder was listed, it moves away and a link takes its name.
    CleanOnQuitProbe::AfterListing([&](const std::string& listed) {
        if (listed != subfolder) return;
        fs::rename(subfolder, elsewhere_.File("moved"));
        fs::create_directory_symlink(elsewhere_.File("victim"), subfolder);
    });
    EndOfProgram();
    CleanOnQuitProbe::AfterListing(nullptr);
    EXPECT_EQ(ReadFile(elsewhere_.File("victim/inner/card.jpg")), "precious");
    EXPECT_FALSE(fs::exists(fs::symlink_status(Root())));
}

// A root that is a link, found at start-up or swapped in during the run, counts as
// vanished: the link goes and cards are written into a real folder of that name.
class CleanOnQuitLinkedRoot : public CleanOnQuitTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CleanOnQuitLinkedRoot, IsReplacedByARealFolderAndItsTargetIsLeftAlone) {
    const bool duringTheRun = GetParam();
    fs::create_directories(elsewhere_.File("target/inner"));
    { std::ofstream(elsewhere_.File("target/inner/file")) << "keep"; }
    if (duringTheRun) {
        CleanOnQuit::Configure(nullptr);
        fs::remove_all(Root());
    }
    fs::create_directory_symlink(elsewhere_.File("target"), Root());

    CleanOnQuit::Configure(nullptr);
    const auto item = CleanOnQuit::Child("Zinglet.jpg");
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(Root())));
    EXPECT_TRUE(fs::is_directory(item->Parent()->AbsolutePath()));
    EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere_.File("target")), {}), 1);
    EndOfProgram();
    EXPECT_FALSE(fs::exists(fs::symlink_status(Root())));
    EXPECT_EQ(ReadFile(elsewhere_.File("target/inner/file")), "keep");
}

INSTANTIATE_TEST_SUITE_P(CleanOnQuit, CleanOnQuitLinkedRoot, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "DuringTheRun" : "AtStartUp"; });

TEST_F(CleanOnQuitTest, ReleasingTheRootFirstLeavesTheDeletionToTheManager) {
    CleanOnQuit::Child("Zinglet.jpg");
    CleanOnQuit::ReleaseRootFolder();
    EXPECT_EQ(CleanOnQuit::RootFolder, nullptr);
    EXPECT_TRUE(fs::is_directory(Root()));

    CleanOnQuit::ReleaseDestructionManager();
    EXPECT_EQ(CleanOnQuitProbe::Manager(), nullptr);
    EXPECT_FALSE(fs::exists(Root()));
}

TEST_F(CleanOnQuitTest, AnUnconfiguredEndDeletesNothing) {
    fs::create_directory(Root());
    EndOfProgram();
    EXPECT_TRUE(fs::is_directory(Root()));
}

TEST(CleanOnQuitUid, IsAlwaysEighteenLowercaseHexDigitsOverTheWholeRange) {
    std::set<char> seenFirst;
    std::set<char> seenSecond;
    std::set<std::string> uids;
    for (int i = 0; i < 400; ++i) {
        const std::string uid = CleanOnQuit::GnerateUID();
        ASSERT_TRUE(IsUid(uid)) << uid;
        uids.insert(uid);
        for (size_t k = 0; k < uid.size(); k += 2) {
            seenFirst.insert(uid[k]);
            seenSecond.insert(uid[k + 1]);
        }
    }
    // A lost leading zero or a clipped range would leave some digit unused.
    EXPECT_EQ(seenFirst.size(), 16u);
    EXPECT_EQ(seenSecond.size(), 16u);
    EXPECT_EQ(uids.size(), 400u);
}
