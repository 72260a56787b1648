#include "mail/CleanOnQuit.h"

#include "framework/core/SpecialFolder.h"
#include "framework/graphics/Picture.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::ReadFile;

namespace {

// Reaches the module's manager, which the program itself never hands out.
struct Probe : CleanOnQuit {
    static const void* Manager() { return myDestructionManager.get(); }
    static void AfterListing(std::function<void(const std::string&)> hook) { AfterListingForTests = std::move(hook); }
};

bool IsUid(const std::string& text) {
    return text.size() == 18 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

void Put(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << text;
}

// Each test has its own Documents folder and starts and ends unconfigured, the way a
// run of the program does.
class CleanOnQuitTest : public ::testing::Test {
protected:
    void TearDown() override { EndOfProgram(); }
    static void EndOfProgram() {
        CleanOnQuit::ReleaseRootFolder();
        CleanOnQuit::ReleaseDestructionManager();
    }
    std::string Root() const { return home_.Documents() + "/" + CleanOnQuit::kRootName; }
    bool ListedAsHidden(const std::string& folder, const std::string& name) const {
        return ReadFile(folder + "/.hidden").find(name + "\n") != std::string::npos;
    }
    std::string Elsewhere(const std::string& name) const { return elsewhere_.File(name); }

    testsupport::ScopedHome home_;
    testsupport::ScratchDir elsewhere_;
};

} // namespace

TEST_F(CleanOnQuitTest, ConfigureMakesTheHiddenRootOnceChildrenGoInsideAndTheEndDeletesIt) {
    CleanOnQuit::Configure(nullptr);
    ASSERT_NE(CleanOnQuit::RootFolder, nullptr);
    EXPECT_EQ(CleanOnQuit::RootFolder->AbsolutePath(), Root());
    EXPECT_TRUE(fs::is_directory(Root()));
    EXPECT_TRUE(ListedAsHidden(home_.Documents(), CleanOnQuit::kRootName));
    const auto root = CleanOnQuit::RootFolder;
    const void* manager = Probe::Manager();
    ASSERT_NE(manager, nullptr);
    fs::create_directory(Root() + "/kept");

    // While the root exists, whatever folder is passed changes nothing.
    CleanOnQuit::Configure(nullptr);
    CleanOnQuit::Configure(fw::FolderItem::FromPath(Elsewhere("other")));
    EXPECT_EQ(CleanOnQuit::RootFolder, root);
    EXPECT_EQ(Probe::Manager(), manager);
    EXPECT_TRUE(fs::exists(Root() + "/kept"));
    EXPECT_FALSE(fs::exists(Elsewhere("other")));

    // Each child is a new visible subfolder holding an item not yet made.
    const auto first = CleanOnQuit::Child("Zinglet.jpg");
    const auto second = CleanOnQuit::Child("Zinglet.jpg");
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

    EndOfProgram();
    EXPECT_FALSE(fs::exists(Root()));
    EXPECT_TRUE(fs::is_directory(home_.Documents()));
}

TEST_F(CleanOnQuitTest, ConfigureWithAFolderMakesThatFolderTheRoot) {
    CleanOnQuit::Configure(fw::FolderItem::FromPath(Elsewhere("mine")));
    EXPECT_TRUE(ListedAsHidden(elsewhere_.Path(), "mine"));
    EXPECT_FALSE(fs::exists(Root()));
    EXPECT_EQ(CleanOnQuit::Child("Zinglet.jpg")->Parent()->Parent()->AbsolutePath(), Elsewhere("mine"));
    EndOfProgram();
    EXPECT_FALSE(fs::exists(Elsewhere("mine")));
}

TEST_F(CleanOnQuitTest, ARootLeftByAnEarlierRunIsKeptUntilConfiguredThenUsedAndDeleted) {
    Put(Root() + "/0123456789abcdef01/Zinglet.jpg", "old card");
    Put(home_.Documents() + "/letter.txt", "mine");
    // An end without a configured root deletes nothing.
    EndOfProgram();
    CleanOnQuit::Configure(nullptr);
    EXPECT_EQ(ReadFile(Root() + "/0123456789abcdef01/Zinglet.jpg"), "old card");
    CleanOnQuit::Child("Zinglet.jpg");
    EndOfProgram();
    EXPECT_FALSE(fs::exists(Root()));
    EXPECT_EQ(ReadFile(home_.Documents() + "/letter.txt"), "mine");
}

TEST_F(CleanOnQuitTest, LinksInsideTheRootAreRemovedAndWhatTheyPointToIsKept) {
    Put(Elsewhere("photos/deep/holiday.jpg"), "photo");
    Put(Elsewhere("notes.txt"), "notes");
    const std::string subfolder = CleanOnQuit::Child("Zinglet.jpg")->Parent()->AbsolutePath();
    fs::create_directory_symlink(Elsewhere("photos"), Root() + "/photos");
    fs::create_symlink(Elsewhere("notes.txt"), subfolder + "/notes");
    fs::create_symlink(Elsewhere("gone"), subfolder + "/dangling");
    EndOfProgram();
    EXPECT_FALSE(fs::exists(fs::symlink_status(Root())));
    EXPECT_EQ(ReadFile(Elsewhere("photos/deep/holiday.jpg")), "photo");
    EXPECT_EQ(ReadFile(Elsewhere("notes.txt")), "notes");
}

TEST_F(CleanOnQuitTest, AFolderSwappedForALinkWhileTheEndDeletesIsNeverFollowed) {
    const std::string subfolder = CleanOnQuit::Child("Zinglet.jpg")->Parent()->AbsolutePath();
    Put(subfolder + "/inner/card.jpg", "card");
    Put(Elsewhere("victim/inner/card.jpg"), "precious");
    // Right after the subfolder was listed, it moves away and a link takes its name.
    Probe::AfterListing([&](const std::string& listed) {
        if (listed != subfolder) return;
        fs::rename(subfolder, Elsewhere("moved"));
        fs::create_directory_symlink(Elsewhere("victim"), subfolder);
    });
    EndOfProgram();
    Probe::AfterListing(nullptr);
    EXPECT_EQ(ReadFile(Elsewhere("victim/inner/card.jpg")), "precious");
    EXPECT_FALSE(fs::exists(fs::symlink_status(Root())));
}

// What stands at the root's name, found at start-up or put there during the run. A
// root removed during the run counts as vanished: the next card makes it again as a
// real hidden folder with a new manager. Anything else there is the user's: it stays
// as it is, with whatever a link points to, and no card can be made. A ".hidden"
// list that is a link is neither written through nor removed.
struct RootNameRow {
    const char* name;
    bool duringTheRun;
    enum { Nothing, Link, File, LinkedHiddenList } put;
};

class CleanOnQuitRootName : public CleanOnQuitTest, public ::testing::WithParamInterface<RootNameRow> {};

TEST_P(CleanOnQuitRootName, OnlyOurOwnFolderIsUsedAndDeletedAndWhatIsNotOursStays) {
    const RootNameRow row = GetParam();
    Put(Elsewhere("target/inner/file"), "keep");
    const std::string hiddenList = home_.Documents() + "/.hidden";
    const auto put = [&] {
        if (row.put == RootNameRow::Link) fs::create_directory_symlink(Elsewhere("target"), Root());
        if (row.put == RootNameRow::File) Put(Root(), "mine");
        if (row.put == RootNameRow::LinkedHiddenList) fs::create_symlink(Elsewhere("target/inner/file"), hiddenList);
    };
    if (!row.duringTheRun) put();
    // Start-up configures first, as the program does.
    CleanOnQuit::Configure(nullptr);
    const void* oldManager = Probe::Manager();
    if (row.duringTheRun) {
        fs::remove_all(Root());
        fs::remove(hiddenList);
        put();
    }

    std::string failure;
    const auto item = CleanOnQuit::Child("Zinglet.jpg", &failure);
    const bool ours = row.put == RootNameRow::Nothing || row.put == RootNameRow::LinkedHiddenList;
    if (ours) {
        ASSERT_NE(item, nullptr) << failure;
        EXPECT_TRUE(fs::is_directory(fs::symlink_status(Root())));
        EXPECT_EQ(item->Parent()->Parent()->AbsolutePath(), Root());
        // Had the old manager gone after the new root was made, it would have taken it.
        EXPECT_TRUE(fs::is_directory(item->Parent()->AbsolutePath()));
        EXPECT_EQ(ListedAsHidden(home_.Documents(), CleanOnQuit::kRootName), row.put == RootNameRow::Nothing);
        EXPECT_TRUE(Probe::Manager() && (Probe::Manager() != oldManager || !row.duringTheRun));
    } else {
        EXPECT_EQ(item, nullptr);
        EXPECT_EQ(failure, Root() + " is in the way: it is not a folder, and it was left as it is.");
        EXPECT_EQ(CleanOnQuit::Child("Zinglet.jpg"), nullptr);
        EXPECT_EQ(Probe::Manager(), nullptr);
    }
    EndOfProgram();
    EXPECT_EQ(fs::is_symlink(Root()), row.put == RootNameRow::Link);
    EXPECT_EQ(fs::exists(fs::symlink_status(Root())), !ours);
    if (row.put == RootNameRow::File) {
        EXPECT_EQ(ReadFile(Root()), "mine");
    }
    EXPECT_EQ(fs::is_symlink(hiddenList), row.put == RootNameRow::LinkedHiddenList);
    EXPECT_EQ(ReadFile(Elsewhere("target/inner/file")), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(Elsewhere("target")), {}), 1);
}

INSTANTIATE_TEST_SUITE_P(CleanOnQuit, CleanOnQuitRootName,
                         ::testing::Values(RootNameRow{"Removed", true, RootNameRow::Nothing},
                                           RootNameRow{"LinkAtStartUp", false, RootNameRow::Link},
                                           RootNameRow{"LinkDuringTheRun", true, RootNameRow::Link},
                                           RootNameRow{"FileAtStartUp", false, RootNameRow::File},
                                           RootNameRow{"FileDuringTheRun", true, RootNameRow::File},
                                           RootNameRow{"LinkedHiddenList", false, RootNameRow::LinkedHiddenList}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(CleanOnQuitUid, IsAlwaysEighteenLowercaseHexDigitsOverTheWholeRange) {
    std::set<char> seen[2];
    std::set<std::string> uids;
    for (int i = 0; i < 400; ++i) {
        const std::string uid = CleanOnQuit::GnerateUID();
        ASSERT_TRUE(IsUid(uid)) << uid;
        uids.insert(uid);
        for (size_t k = 0; k < uid.size(); ++k) seen[k % 2].insert(uid[k]);
    }
    // A lost leading zero or a clipped range would leave some digit unused.
    EXPECT_EQ(seen[0].size(), 16u);
    EXPECT_EQ(seen[1].size(), 16u);
    EXPECT_EQ(uids.size(), 400u);
}

namespace {

// Another copy of the program, sharing the clean-up folder: a child process that
// configures, sends a card, and ends when told to.
class OtherCopy {
public:
    OtherCopy() {
        int up[2], down[2];
        if (::pipe(up) != 0 || ::pipe(down) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(up[0]), ::close(down[1]);
            CleanOnQuit::Configure(nullptr);
            const auto card = CleanOnQuit::Child("Zinglet.jpg");
            std::ofstream(card->AbsolutePath()) << "their card";
            const std::string path = card->AbsolutePath();
            (void)::write(up[1], path.c_str(), path.size() + 1);
            char c = 0;
            (void)::read(down[0], &c, 1);
            CleanOnQuit::ReleaseRootFolder();
            CleanOnQuit::ReleaseDestructionManager();
            _exit(0);
        }
        ::close(up[1]), ::close(down[0]);
        fromChild_ = up[0], toChild_ = down[1];
        char c = 0;
        while (::read(fromChild_, &c, 1) == 1 && c != '\0') card_ += c;
    }
    ~OtherCopy() { End(); }
    const std::string& Card() const { return card_; }
    void End() {
        if (pid_ <= 0) return;
        (void)::write(toChild_, "!", 1);
        ::waitpid(pid_, nullptr, 0);
        ::close(fromChild_), ::close(toChild_);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int fromChild_ = -1, toChild_ = -1;
    std::string card_;
};

} // namespace

// Copies of the program share the folder: each one's end takes only its own cards
// while another still runs, and the last one takes the folder, with what a crashed
// run left there.
TEST_F(CleanOnQuitTest, OneCopysEndNeverTakesAnotherCopysCard) {
    for (const bool senderEndsFirst : {false, true}) {
        SCOPED_TRACE(senderEndsFirst ? "the sender ends first" : "the sender ends last");
        Put(Root() + "/0123456789abcdef01/Zinglet.jpg", "left by a crash");
        // Started before this copy configures: a process forked later would share
        // this copy's hold on the folder.
        OtherCopy other;
        ASSERT_EQ(ReadFile(other.Card()), "their card");
        CleanOnQuit::Configure(nullptr);
        const std::string mine = CleanOnQuit::Child("Zinglet.jpg")->AbsolutePath();
        Put(mine, "my card");
        if (senderEndsFirst) {
            other.End();
            EXPECT_FALSE(fs::exists(fs::path(other.Card()).parent_path()));
            EXPECT_EQ(ReadFile(mine), "my card");
        } else {
            EndOfProgram();
            EXPECT_FALSE(fs::exists(fs::path(mine).parent_path()));
            EXPECT_EQ(ReadFile(other.Card()), "their card");
        }
        EXPECT_EQ(ReadFile(Root() + "/0123456789abcdef01/Zinglet.jpg"), "left by a crash");
        senderEndsFirst ? EndOfProgram() : other.End();
        EXPECT_FALSE(fs::exists(Root()));
    }
}

// The folders are the user's alone and so is a card written there, whatever the
// umask, also a root that an earlier run left open.
TEST_F(CleanOnQuitTest, FoldersAndCardsArePrivateWhateverTheUmask) {
    const auto mode = [](const std::string& p) { return unsigned(fs::symlink_status(p).permissions()); };
    for (const mode_t umask : {mode_t(022), mode_t(0), mode_t(077), mode_t(002)}) {
        SCOPED_TRACE(umask);
        fs::create_directories(Root());
        fs::permissions(Root(), fs::perms(0755));
        const mode_t saved = ::umask(umask);
        const auto card = CleanOnQuit::Child("Zinglet.jpg");
        const bool written = card->SaveAsJPEG(fw::Picture::New(8, 8, 24));
        ::umask(saved);
        ASSERT_TRUE(written);
        EXPECT_EQ(mode(Root()), 0700u);
        EXPECT_EQ(mode(card->Parent()->AbsolutePath()), 0700u);
        EXPECT_EQ(mode(card->AbsolutePath()), 0600u);
        EndOfProgram();
    }
}

// File names are bytes: with a home whose name is not UTF-8, the card goes into that
// home's real Documents folder and goes with it at the end; no made-up tree is left.
TEST_F(CleanOnQuitTest, AHomeWhoseNameIsNotUtf8HoldsTheCards) {
    const std::string home = Elsewhere("caf\xE9");
    fs::create_directory(home);
    const std::string oldHome = std::getenv("HOME");
    setenv("HOME", home.c_str(), 1);
    fw::SpecialFolder::SetHomeForTests("");
    const auto card = CleanOnQuit::Child("Zinglet.jpg");
    const bool written = card && card->SaveAsJPEG(fw::Picture::New(8, 8, 24));
    setenv("HOME", oldHome.c_str(), 1);
    fw::SpecialFolder::SetHomeForTests(home_.Path());
    ASSERT_TRUE(written);
    EXPECT_EQ(card->Parent()->Parent()->AbsolutePath(), home + "/Documents/" + CleanOnQuit::kRootName);
    EXPECT_TRUE(fs::is_regular_file(card->AbsolutePath()));
    EndOfProgram();
    EXPECT_FALSE(fs::exists(home + "/Documents/" + CleanOnQuit::kRootName));
    // Only the home itself: nothing beside it under a name with U+FFFD.
    EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere_.Path()), {}), 1);
    fs::remove_all(home);
}

// The root removed during the run and made anew by another copy: this copy holds the
// new root too, so neither copy's end takes the other's card.
TEST_F(CleanOnQuitTest, ARootMadeAnewByAnotherCopyIsHeldByBoth) {
    CleanOnQuit::Configure(nullptr);
    fs::remove_all(Root());
    OtherCopy other;
    const auto mine = CleanOnQuit::Child("Zinglet.jpg");
    Put(mine->AbsolutePath(), "my card");
    other.End();
    EXPECT_EQ(ReadFile(mine->AbsolutePath()), "my card");
    EXPECT_FALSE(fs::exists(fs::path(other.Card()).parent_path()));
    EndOfProgram();
    EXPECT_FALSE(fs::exists(Root()));
}
