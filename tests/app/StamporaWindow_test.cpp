#include "tests/app/StamporaFixture.h"

#include "interfacekit/ifkFontComboBox.h"

#include <QKeySequence>

namespace {
float recordedBorders[4];
void* recordedWindow = nullptr;
int32_t RecordBorders(void* windowRef, const void* borders) {
    recordedWindow = windowRef;
    std::memcpy(recordedBorders, borders, sizeof recordedBorders);
    return 0;
}
} // namespace

TEST_F(StamporaTest, WindowHasTheDesignSizeTitleFrameAndContentBorder) {
    // Made again with the system's border function there: it gets the bands above and below the card.
    window.reset();
    fw::Runtime::ReleaseFrameworkLists();
    fw::System::RegisterLibraryFunction("Carbon", "HIWindowSetContentBorderThickness",
                                        reinterpret_cast<void*>(&RecordBorders));
    window = Stampora::Instance();
    fw::System::UnregisterLibraryFunction("Carbon", "HIWindowSetContentBorderThickness");
    EXPECT_EQ(recordedWindow, window->Widget());
    EXPECT_EQ(std::vector<float>(recordedBorders, recordedBorders + 4), (std::vector<float>{56, 0, 56, 0}));
    EXPECT_EQ(window->Title, "Quorvine's Stampora");
    EXPECT_EQ(window->Widget()->windowTitle().toStdString(), "Quorvine's Stampora");
    EXPECT_EQ(window->WindowMenuItem(0)->Text(), "Quorvine's Stampora");
    EXPECT_EQ(window->Content()->size(), QSize(640, 428));
    // Neither resizable nor maximisable, as a whole window with its menu bar; closable and minimisable.
    EXPECT_EQ(window->Widget()->minimumSize(), window->Widget()->maximumSize());
    const Qt::WindowFlags flags = window->Widget()->windowFlags();
    EXPECT_EQ(flags & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint),
              Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
}

TEST_F(StamporaTest, ControlsSitWhereTheDesignPutsThem) {
    struct Row { const char* name; int page; QRect frame; int tabIndex; };
    const Row rows[] = {
        {"PagePanel1", 0, {-7, 0, 654, 428}, 6},       {"ifkColorWell1", 1, {369, 20, 30, 22}, 0},
        {"textField", 1, {14, 20, 343, 22}, 2},        {"DisplayArea", 1, {0, 56, 640, 316}, 3},
        {"SaveButton", 1, {480, 388, 140, 20}, 4},     {"eMailApplication", 1, {20, 387, 280, 20}, 5},
        {"HTMLViewer1", 2, {0, 16, 640, 364}, 0},      {"MorInfoButton", 2, {303, 392, 160, 20}, 1},
        {"DownloadNowButton", 2, {475, 392, 140, 20}, 2}, {"CancelButton", 2, {25, 392, 80, 20}, 3},
        {"textTypeFace", 1, {411, 20, 153, 20}, 6},    {"textSizeField", 1, {576, 20, 50, 20}, 7}};
    for (const Row& row : rows) {
        auto control = window->ControlByName(row.name);
        ASSERT_TRUE(control) << row.name;
        EXPECT_EQ(control->PanelIndex, row.page) << row.name;
        EXPECT_EQ(QRect(control->Left, control->Top, control->Width, control->Height), row.frame) << row.name;
        EXPECT_EQ(control->TabIndex, row.tabIndex) << row.name;
        // Content coordinates, also on the panel: the panel does not move its children.
        EXPECT_EQ(control->Widget()->geometry(), row.frame) << row.name;
        EXPECT_EQ(control->Parent == window->PagePanel1(), row.page > 0) << row.name;
    }
    // The composer's controls that take the focus come in the focus chain by their tab index.
    std::vector<QWidget*> composer, seen;
    for (const char* name : {"textField", "DisplayArea", "SaveButton", "eMailApplication", "textTypeFace", "textSizeField"})
        composer.push_back(window->ControlByName(name)->Widget());
    QWidget* w = composer.front();
    for (int step = 0; step < 200 && seen.size() < composer.size(); ++step, w = w->nextInFocusChain())
        if (std::count(composer.begin(), composer.end(), w) && !std::count(seen.begin(), seen.end(), w)) seen.push_back(w);
    EXPECT_EQ(seen, composer);
}

TEST_F(StamporaTest, ControlsStartWithTheirDesignTexts) {
    auto sizes = window->textSizeField();
    EXPECT_EQ((std::vector<std::string>{window->textField()->Text(), window->SaveButton()->Caption,
                                        window->MorInfoButton()->Caption, window->DownloadNowButton()->Caption,
                                        window->CancelButton()->Caption, window->textTypeFace()->Text(), sizes->Text(),
                                        sizes->List(0), sizes->List(10)}),
              (std::vector<std::string>{"Type Your Message Here", "Send Zinglet", "More Information...", "Download Now!",
                                        "Close", "Papyrus", "24", "8", "72"}));
    EXPECT_TRUE(window->SaveButton()->Default && window->DownloadNowButton()->Default);
    EXPECT_EQ(sizes->ListIndex(), 6);
    EXPECT_EQ(sizes->ListCount(), 11);
}

// --- the menu bar

namespace {

struct MenuRow {
    const char* name;
    const char* text;
    const char* shortcut;   // Qt's portable text of the shortcut, "" for none
};
struct Menu { const char* name; const char* text; std::vector<MenuRow> items; };

// Each menu and its items, in order.
const Menu kMenus[] = {
    {"FileMenu", "&File",
     {{"FileImport", "Import...", "Ctrl+O"}, {"FileClose", "Close", "Ctrl+W"}, {"UntitledSeparator3", "-", ""},
      {"FileSave", "Save...", "Ctrl+S"}, {"FileQuit", "&Quit", "Ctrl+Q"}}},
    {"EditMenu", "&Edit",
     {{"EditUndo", "&Undo", "Ctrl+Z"}, {"UntitledMenu1", "-", ""}, {"EditCut", "Cu&t", "Ctrl+X"},
      {"EditCopy", "&Copy", "Ctrl+C"}, {"EditPaste", "&Paste", "Ctrl+V"}, {"EditClear", "&Delete", ""},
      {"UntitledMenu0", "-", ""}, {"EditSelectAll", "Select &All", "Ctrl+A"}, {"UntitledSeparator2", "-", ""},
      {"EditScaleToFit", "Scale To Fit", ""}, {"EditPostMark", "Post Mark", ""},
      {"EditChooseStampImage", "Choose Stamp Image...", ""}}},
    {"WindowMenu", "Window",
     {{"WindowMinimize", "Minimize", "Ctrl+M"}, {"WindowZoom", "Zoom", "Ctrl+Meta+Z"}, {"UntitledSeparator", "-", ""},
      {"WindowBringAllToFront", "Bring All To Front", ""}, {"UntitledSeparator0", "-", ""},
      {"WindowMenuItem", "WindowItem", ""}}},
    {"HelpMenu", "Help",
     {{"HelpPixalunePhotosWebPage", "Stampora Web Page", ""}, {"UntitledSeparator1", "-", ""},
      {"HelpServiceSupport", "Service && Support", ""}, {"HelpAboutStampora", "About Stampora", ""}}}};

} // namespace

// A bar of its own, so that no test depends on the shared instance's history.
TEST(MenuBar1, MenusAndItemsMatchTheTableInOrder) {
    auto bar = std::make_shared<MenuBar1>();
    bar->Constructor();
    ASSERT_EQ(bar->Count(), 4);
    for (int m = 0; m < 4; ++m) {
        const Menu& table = kMenus[m];
        auto menu = bar->Item(m);
        EXPECT_EQ(menu->Name, table.name);
        EXPECT_EQ(menu->Text(), table.text);
        EXPECT_TRUE(menu->AutoEnable);
        ASSERT_EQ(menu->Count(), int(table.items.size())) << table.name;
        for (size_t i = 0; i < table.items.size(); ++i) {
            const MenuRow& row = table.items[i];
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
    for (const auto& [name, shown, mnemonic] : {std::tuple{"HelpServiceSupport", "Service & Support", 0},
                                                {"EditClear", "Delete", 'D'}, {"EditCut", "Cut", 't'},
                                                {"EditSelectAll", "Select All", 'A'}}) {
        EXPECT_EQ(item(name)->ShownText(), shown);
        EXPECT_EQ(item(name)->Mnemonic(), mnemonic) << name;
    }
    // The window item is element zero of its array; other items are no array's.
    EXPECT_EQ(bar->_Lookup("WindowMenuItem", 0), item("WindowMenuItem"));
    EXPECT_FALSE(bar->_Lookup("WindowMenuItem", 1));
    EXPECT_EQ(item("FileImport")->Index, -1);
}
