#include "framework/BinaryStream.h"
#include "framework/FolderItem.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::ScratchDir;

namespace {

fw::FolderItemRef Item(const std::string& path) { return fw::FolderItem::FromPath(path); }

} // namespace

// --- hiding

TEST(FolderItemVisible, HidingListsTheNameInTheParentsHiddenFileWithoutRenaming) {
    ScratchDir dir;
    dir.Write(".hidden", "other\n");
    fs::create_directory(dir.File("Root"));
    const auto root = Item(dir.File("Root"));
    ASSERT_TRUE(root->Visible());

    root->SetVisible(false);
    root->SetVisible(false);
    EXPECT_FALSE(root->Visible());
    EXPECT_TRUE(fs::is_directory(dir.File("Root")));
    EXPECT_EQ(ReadFile(dir.File(".hidden")), "other\nRoot\n");
    EXPECT_FALSE(Item(dir.File("other"))->Visible());
}

TEST(FolderItemVisible, ShowingRemovesOnlyThatNameAndTheListWhenItEmpties) {
    ScratchDir dir;
    dir.Write("a", "");
    dir.Write("b", "");
    dir.Write(".hidden", "a\nb\n");
    Item(dir.File("a"))->SetVisible(true);
    EXPECT_TRUE(Item(dir.File("a"))->Visible());
    EXPECT_EQ(ReadFile(dir.File(".hidden")), "b\n");

    Item(dir.File("b"))->SetVisible(true);
    EXPECT_FALSE(fs::exists(dir.File(".hidden")));
}

TEST(FolderItemVisible, DeletingAHiddenItemTakesItsNameOffTheList) {
    ScratchDir dir;
    dir.Write(".hidden", "other\n");
    fs::create_directory(dir.File("Root"));
    Item(dir.File("Root"))->SetVisible(false);
    EXPECT_TRUE(Item(dir.File("Root"))->Delete());
    EXPECT_EQ(ReadFile(dir.File(".hidden")), "other\n");
    // A delete that fails leaves the entry.
    fs::create_directory(dir.File("Full"));
    dir.Write("Full/file", "x");
    Item(dir.File("Full"))->SetVisible(false);
    EXPECT_FALSE(Item(dir.File("Full"))->Delete());
    EXPECT_EQ(ReadFile(dir.File(".hidden")), "other\nFull\n");
}

TEST(FolderItemVisible, ADotNameStaysHiddenAndAMissingItemChangesNothing) {
    ScratchDir dir;
    dir.Write(".config", "");
    const auto dotted = Item(dir.File(".config"));
    dotted->SetVisible(true);
    EXPECT_FALSE(dotted->Visible());
    EXPECT_TRUE(fs::exists(dir.File(".config")));

    Item(dir.File("missing"))->SetVisible(false);
    EXPECT_FALSE(fs::exists(dir.File(".hidden")));
}

TEST(FolderItemVisible, AHiddenListThatIsALinkIsReplacedNotWrittenThrough) {
    ScratchDir dir;
    ScratchDir elsewhere;
    const std::string outside = elsewhere.Write("victim", "keep\n");
    fs::create_symlink(outside, dir.File(".hidden"));
    dir.Write("item", "");

    Item(dir.File("item"))->SetVisible(false);
    EXPECT_EQ(ReadFile(outside), "keep\n");
    EXPECT_FALSE(fs::is_symlink(dir.File(".hidden")));
    EXPECT_EQ(ReadFile(dir.File(".hidden")), "item\n");
}

// --- creating files

TEST(FolderItemCreateBinaryFile, WritesExactlyTheBytesGiven) {
    ScratchDir dir;
    const auto file = Item(dir.File("out.bin"));
    auto stream = file->CreateBinaryFile("????");
    ASSERT_NE(stream, nullptr);
    stream->Write(std::string("a\rb\0c", 5));
    stream->Write("");
    stream->Close();
    EXPECT_FALSE(stream->WriteError());
    EXPECT_EQ(ReadFile(dir.File("out.bin")), std::string("a\rb\0c", 5));
}

TEST(FolderItemCreateBinaryFile, AnEarlierFileIsReplacedByTheNewContentOnly) {
    ScratchDir dir;
    dir.Write("f", "a much longer old content");
    auto stream = Item(dir.File("f"))->CreateBinaryFile("????");
    ASSERT_NE(stream, nullptr);
    stream->Write("new");
    stream->Close();
    EXPECT_EQ(ReadFile(dir.File("f")), "new");
}

TEST(FolderItemCreateBinaryFile, ALinkInThePlaceIsRemovedAndItsTargetUntouched) {
    ScratchDir dir;
    ScratchDir elsewhere;
    const std::string target = elsewhere.Write("target", "precious");
    fs::create_symlink(target, dir.File("f"));
    fs::create_symlink(elsewhere.File("not-there"), dir.File("dangling"));

    for (const char* name : {"f", "dangling"}) {
        auto stream = Item(dir.File(name))->CreateBinaryFile("????");
        ASSERT_NE(stream, nullptr) << name;
        stream->Write("mine");
        stream->Close();
        EXPECT_FALSE(fs::is_symlink(dir.File(name))) << name;
        EXPECT_EQ(ReadFile(dir.File(name)), "mine") << name;
    }
    EXPECT_EQ(ReadFile(target), "precious");
    EXPECT_FALSE(fs::exists(elsewhere.File("not-there")));
}

TEST(FolderItemCreateBinaryFile, GivesNilForAFolderOrAMissingParent) {
    ScratchDir dir;
    fs::create_directory(dir.File("folder"));
    EXPECT_EQ(Item(dir.File("folder"))->CreateBinaryFile("????"), nullptr);
    EXPECT_TRUE(fs::is_directory(dir.File("folder")));
    EXPECT_EQ(Item(dir.File("no/such/file"))->CreateBinaryFile("????"), nullptr);
}

TEST(FolderItemCreateBinaryFile, WritingAfterCloseIsReportedNotIgnored) {
    ScratchDir dir;
    auto stream = Item(dir.File("f"))->CreateBinaryFile("????");
    ASSERT_NE(stream, nullptr);
    stream->Write("kept");
    stream->Close();
    stream->Write("lost");
    EXPECT_TRUE(stream->WriteError());
    EXPECT_EQ(ReadFile(dir.File("f")), "kept");
}
