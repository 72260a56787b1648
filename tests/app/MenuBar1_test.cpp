#include "app/MenuBar1.h"

#include <gtest/gtest.h>

#include <QKeySequence>

#include <map>

namespace {

struct MenuRow {
    const char* name;
    const char* text;
    const char* shortcut;   // Qt's portable text of the shortcut, "" for none
};

// Each menu's items in order.
const std::map<std::string, std::vector<MenuRow>> kMenus = {
    {"FileMenu",
     {{"FileImport", "Import...", "Ctrl+O"}, {"FileClose", "Close", "Ctrl+W"}, {"UntitledSeparator3", "-", ""},
      {"FileSave", "Save...", "Ctrl+S"}, {"FileQuit", "&Quit", "Ctrl+Q"}}},
    {"EditMenu",
     {{"EditUndo", "&Undo", "Ctrl+Z"}, {"UntitledMenu1", "-", ""}, {"EditCut", "Cu&t", "Ctrl+X"},
      {"EditCopy", "&Copy", "Ctrl+C"}, {"EditPaste", "&Paste", "Ctrl+V"}, {"EditClear", "&Delete", ""},
      {"UntitledMenu0", "-", ""}, {"EditSelectAll", "Select &All", "Ctrl+A"}, {"UntitledSeparator2", "-", ""},
      {"EditScaleToFit", "Scale To Fit", ""}, {"EditPostMark", "Post Mark", ""},
      {"EditChooseStampImage", "Choose Stamp Image...", ""}}},
    {"WindowMenu",
     {{"WindowMinimize", "Minimize", "Ctrl+M"}, {"WindowZoom", "Zoom", "Ctrl+Meta+Z"}, {"UntitledSeparator", "-", ""},
      {"WindowBringAllToFront", "Bring All To Front", ""}, {"UntitledSeparator0", "-", ""},
      {"WindowMenuItem", "WindowItem", ""}}},
    {"HelpMenu",
     {{"HelpPixalunePhotosWebPage", "Stampora Web Page", ""}, {"UntitledSeparator1", "-", ""},
      {"HelpServiceSupport", "Service && Support", ""}, {"HelpAboutStampora", "About Stampora", ""}}}};

} // namespace

// A bar of its own, so that no test depends on the shared instance's history.
TEST(MenuBar1, MenusAndItemsMatchTheTableInOrder) {
    auto bar = std::make_shared<MenuBar1>();
    bar->Constructor();
    ASSERT_EQ(bar->Count(), 4);
    const char* menus[][2] = {{"FileMenu", "&File"}, {"EditMenu", "&Edit"}, {"WindowMenu", "Window"}, {"HelpMenu", "Help"}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bar->Item(i)->Name, menus[i][0]);
        EXPECT_EQ(bar->Item(i)->Text(), menus[i][1]);
        EXPECT_TRUE(bar->Item(i)->AutoEnable);
    }
    for (const auto& [menuName, rows] : kMenus) {
        auto menu = bar->Child(menuName);
        ASSERT_TRUE(menu) << menuName;
        ASSERT_EQ(menu->Count(), int(rows.size())) << menuName;
        for (size_t i = 0; i < rows.size(); ++i) {
            const MenuRow& row = rows[i];
            auto item = menu->Item(int(i));
            EXPECT_EQ(item->Name, row.name);
            EXPECT_EQ(item->Text(), row.text) << row.name;
            EXPECT_TRUE(item->AutoEnable) << row.name;
            EXPECT_EQ(item->Shortcut(), QKeySequence::fromString(row.shortcut, QKeySequence::PortableText)) << row.name;
            using K = fw::MenuItem::Kind;
            const std::string name = row.name;
            EXPECT_EQ(item->ItemKind(), name == "FileQuit" ? K::Quit : name == "HelpAboutStampora" ? K::About : K::Normal);
        }
    }
    // Shown texts resolve mnemonics and doubled ampersands.
    auto item = [&](const char* name) { return bar->_Lookup(name); };
    EXPECT_EQ(item("HelpServiceSupport")->ShownText(), "Service & Support");
    EXPECT_EQ(item("HelpServiceSupport")->Mnemonic(), 0);
    EXPECT_EQ(item("EditClear")->ShownText(), "Delete");
    EXPECT_EQ(item("EditClear")->Mnemonic(), 'D');
    EXPECT_EQ(item("EditCut")->Mnemonic(), 't');
    EXPECT_EQ(item("EditSelectAll")->ShownText(), "Select All");
    // The window item is element zero of its array; other items are no array's.
    EXPECT_EQ(bar->_Lookup("WindowMenuItem", 0), item("WindowMenuItem"));
    EXPECT_FALSE(bar->_Lookup("WindowMenuItem", 1));
    EXPECT_EQ(item("FileImport")->Index, -1);
}
