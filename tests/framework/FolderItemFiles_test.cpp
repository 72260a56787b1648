#include "framework/BinaryStream.h"
#include "framework/FolderItem.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::ScratchDir;

namespace {

fw::FolderItemRef Item(const std::string& path) { return fw::FolderItem::FromPath(path); }

} // namespace

// Hiding lists the name in the parent's .hidden file, without renaming; showing and
// deleting take it off again, and the list goes when it empties.
TEST(FolderItemVisible, FollowsTheParentsHiddenList) {
    ScratchDir dir;
    dir.Write(".hidden", "other\n");
    fs::create_directory(dir.File("Root"));
    dir.Write("b", "");
    dir.Write("other", "");
    ASSERT_TRUE(Item(dir.File("Root"))->Visible());
    Item(dir.File("Root"))->SetVisible(false);
    Item(dir.File("Root"))->SetVisible(false);
    Item(dir.File("b"))->SetVisible(false);
    EXPECT_TRUE(!Item(dir.File("Root"))->Visible() && !Item(dir.File("other"))->Visible());
    EXPECT_TRUE(fs::is_directory(dir.File("Root")));
    EXPECT_EQ(ReadFile(dir.File(".hidden")), "other\nRoot\nb\n");

    fs::create_directory(dir.File("Full"));
    dir.Write("Full/file", "x");
    Item(dir.File("Full"))->SetVisible(false);
    EXPECT_FALSE(Item(dir.File("Full"))->Delete());   // a failed delete keeps the entry
    EXPECT_TRUE(Item(dir.File("Root"))->Delete());
    Item(dir.File("b"))->SetVisible(true);
    EXPECT_TRUE(Item(dir.File("b"))->Visible());
    EXPECT_EQ(ReadFile(dir.File(".hidden")), "other\nFull\n");
    for (const char* name : {"other", "Full"}) Item(dir.File(name))->SetVisible(true);
    EXPECT_FALSE(fs::exists(dir.File(".hidden")));
}

TEST(FolderItemVisible, DotNamesMissingItemsAndALinkedListAreLeftAlone) {
    ScratchDir dir, elsewhere;
    dir.Write(".config", "");
    Item(dir.File(".config"))->SetVisible(true);
    EXPECT_TRUE(!Item(dir.File(".config"))->Visible() && fs::exists(dir.File(".config")));
    Item(dir.File("missing"))->SetVisible(false);
    EXPECT_FALSE(fs::exists(dir.File(".hidden")));

    const std::string outside = elsewhere.Write("victim", "keep\n");
    fs::create_symlink(outside, dir.File(".hidden"));
    dir.Write("item", "");
    Item(dir.File("item"))->SetVisible(false);
    EXPECT_TRUE(ReadFile(outside) == "keep\n" && !fs::is_symlink(dir.File(".hidden")));
    EXPECT_EQ(ReadFile(dir.File(".hidden")), "item\n");
}

// A new binary file holds exactly the bytes written, whatever stood in its place; a
// link there is replaced, never written through.
TEST(FolderItemCreateBinaryFile, ReplacesWhateverWasThereWithExactlyTheBytes) {
    ScratchDir dir, elsewhere;
    const std::string target = elsewhere.Write("target", "precious");
    const std::pair<const char*, std::function<void(const std::string&)>> rows[] = {
        {"nothing", [](auto&) {}},
        {"longer old content", [&](auto& path) { dir.Write(fs::path(path).filename(), "a much longer old content"); }},
        {"link to a file", [&](auto& path) { fs::create_symlink(target, path); }},
        {"dangling link", [&](auto& path) { fs::create_symlink(elsewhere.File("not-there"), path); }},
    };
    for (const auto& [why, prepare] : rows) {
        const std::string path = dir.File(std::string("f-") + why);
        prepare(path);
        auto stream = Item(path)->CreateBinaryFile("????");
        ASSERT_NE(stream, nullptr) << why;
        stream->Write(std::string("a\rb\0c", 5));
        stream->Write("");
        stream->Close();
        EXPECT_FALSE(stream->WriteError() || fs::is_symlink(path)) << why;
        EXPECT_EQ(ReadFile(path), std::string("a\rb\0c", 5)) << why;
        stream->Write("lost");   // after Close: reported, not written
        EXPECT_TRUE(stream->WriteError() && ReadFile(path).size() == 5u) << why;
    }
    EXPECT_TRUE(ReadFile(target) == "precious" && !fs::exists(elsewhere.File("not-there")));
    fs::create_directory(dir.File("folder"));
    for (const char* name : {"folder", "no/such/file"})
        EXPECT_EQ(Item(dir.File(name))->CreateBinaryFile("????"), nullptr) << name;
    EXPECT_TRUE(fs::is_directory(dir.File("folder")));
}
