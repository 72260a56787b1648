#include "app/MenuBar1.h"

#include <gtest/gtest.h>

#include <QKeySequence>

#include <map>

namespace {

enum class Kind { Item, Quit, About };

struct MenuRow {
    const char* menu;
    const char* name;
    Kind kind;
    const char* text;
    const char* shortcut;   // Qt's portable text of the shortcut, "" for none
};

const MenuRow kTable[] = {
    {"FileMenu", "FileImport", Kind::Item, "Import...", "Ctrl+O"},
    {"FileMenu", "FileClose", Kind::Item, "Close", "Ctrl+W"},
    {"FileMenu", "UntitledSeparator3", Kind::Item, "-", ""},
    {"FileMenu", "FileSave", Kind::Item, "Save...", "Ctrl+S"},
    {"FileMenu", "FileQuit", Kind::Quit, "&Quit", "Ctrl+Q"},
    {"EditMenu", "EditUndo", Kind::Item, "&Undo", "Ctrl+Z"},
    {"EditMenu", "UntitledMenu1", Kind::Item, "-", ""},
    {"EditMenu", "EditCut", Kind::Item, "Cu&t", "Ctrl+X"},
    {"EditMenu", "EditCopy", Kind::Item, "&Copy", "Ctrl+C"},
    {"EditMenu", "EditPaste", Kind::Item, "&Paste", "Ctrl+V"},
    {"EditMenu", "EditClear", Kind::Item, "&Delete", ""},
    {"EditMenu", "UntitledMenu0", Kind::Item, "-", ""},
    {"EditMenu", "EditSelectAll", Kind::Item, "Select &All", "Ctrl+A"},
    {"EditMenu", "UntitledSeparator2", Kind::Item, "-", ""},
    {"EditMenu", "EditScaleToFit", Kind::Item, "Scale To Fit", ""},
    {"EditMenu", "EditPostMark", Kind::Item, "Post Mark", ""},
    {"EditMenu", "EditChooseStampImage", Kind::Item, "Choose Stamp Image...", ""},
    {"WindowMenu", "WindowMinimize", Kind::Item, "Minimize", "Ctrl+M"},
    {"WindowMenu", "WindowZoom", Kind::Item, "Zoom", "Ctrl+Meta+Z"},
    {"WindowMenu", "UntitledSeparator", Kind::Item, "-", ""},
    {"WindowMenu", "WindowBringAllToFront", Kind::Item, "Bring All To Front", ""},
    {"WindowMenu", "UntitledSeparator0", Kind::Item, "-", ""},
    {"WindowMenu", "WindowMenuItem", Kind::Item, "WindowItem", ""},
    {"HelpMenu", "HelpPixalunePhotosWebPage", Kind::Item, "Stampora Web Page", ""},
    {"HelpMenu", "UntitledSeparator1", Kind::Item, "-", ""},
    {"HelpMenu", "HelpServiceSupport", Kind::Item, "Service && Support", ""},
    {"HelpMenu", "HelpAboutStampora", Kind::About, "About Stampora", ""},
};

// A bar of its own, so that no test depends on the shared instance's history.
std::shared_ptr<MenuBar1> FreshBar() {
    auto bar = std::make_shared<MenuBar1>();
    bar->Constructor();
    return bar;
}

} // namespace

TEST(MenuBar1, MenusAndItemsMatchTheTableInOrder) {
    auto bar = FreshBar();
    ASSERT_EQ(bar->Count(), 4);
    const char* menus[][2] = {{"FileMenu", "&File"}, {"EditMenu", "&Edit"}, {"WindowMenu", "Window"}, {"HelpMenu", "Help"}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bar->Item(i)->Name, menus[i][0]);
        EXPECT_EQ(bar->Item(i)->Text(), menus[i][1]);
        EXPECT_TRUE(bar->Item(i)->AutoEnable);
    }
    std::map<std::string, int> position;
    for (const MenuRow& row : kTable) {
        auto menu = bar->Child(row.menu);
        ASSERT_TRUE(menu) << row.menu;
        auto item = menu->Item(position[row.menu]++);
        ASSERT_TRUE(item) << row.name;
        EXPECT_EQ(item->Name, row.name);
        EXPECT_EQ(item->Text(), row.text) << row.name;
        EXPECT_TRUE(item->AutoEnable) << row.name;
        EXPECT_EQ(item->Shortcut(), QKeySequence::fromString(row.shortcut, QKeySequence::PortableText)) << row.name;
        const Kind kind = item->ItemKind() == fw::MenuItem::Kind::Quit    ? Kind::Quit
                          : item->ItemKind() == fw::MenuItem::Kind::About ? Kind::About
                                                                          : Kind::Item;
        EXPECT_EQ(kind, row.kind) << row.name;
    }
    for (const auto& [menu, count] : position) EXPECT_EQ(bar->Child(menu)->Count(), count) << menu;
}

TEST(MenuBar1, ShownTextsResolveMnemonicsAndAmpersands) {
    auto bar = FreshBar();
    EXPECT_EQ(bar->_Lookup("HelpServiceSupport")->ShownText(), "Service & Support");
    EXPECT_EQ(bar->_Lookup("HelpServiceSupport")->Mnemonic(), 0);
    EXPECT_EQ(bar->_Lookup("EditClear")->ShownText(), "Delete");
    EXPECT_EQ(bar->_Lookup("EditClear")->Mnemonic(), 'D');
    EXPECT_EQ(bar->_Lookup("EditCut")->Mnemonic(), 't');
    EXPECT_EQ(bar->_Lookup("EditSelectAll")->ShownText(), "Select All");
}

TEST(MenuBar1, WindowItemIsElementZeroOfItsArray) {
    auto bar = FreshBar();
    EXPECT_EQ(bar->_Lookup("WindowMenuItem", 0), bar->_Lookup("WindowMenuItem"));
    EXPECT_FALSE(bar->_Lookup("WindowMenuItem", 1));
    EXPECT_EQ(bar->_Lookup("FileImport")->Index, -1);
}
