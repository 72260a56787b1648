#include "framework/core/System.h"
#include "framework/graphics/Screen.h"
#include "framework/ui/PushButton.h"
#include "interfacekit/ifkFontComboBox.h"
#include "interfacekit/ifkFontComboBoxMenu.h"
#include "tests/interfacekit/KitFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <optional>

namespace {

const std::vector<std::string> kFonts = {"Mono", "alpha", "Serif", "Beta"};   // sorted: alpha Beta Mono Serif

class BoxWindow : public fw::Window {
public:
    std::string ClassName() const override { return "BoxWindow"; }
    void CreateControls() override {
        box = std::make_shared<ifkFontComboBox>();
        AddControl("box", box);
        box->Width = 153, box->Height = 20;
        box->SetInitialValue("Papyrus");
        box->SetListIndex(0);
        AddControl("send", send);
        send->Top = 40, send->Width = 80, send->Height = 20, send->Default = true;
        send->Action = [this] { ++sends; };
    }
    std::shared_ptr<ifkFontComboBox> box;
    std::shared_ptr<fw::PushButton> send = std::make_shared<fw::PushButton>();
    int sends = 0;
};

// While the pop-up list runs modally, `act` gets it (nil when none is open).
void WhilePoppedUp(std::function<void(ifkFontComboBoxMenu*)> act) {
    QTimer::singleShot(0, [act] {
        auto open = std::dynamic_pointer_cast<fw::Window>(fw::Runtime::ImplicitInstance("ifkFontComboBoxMenu"));
        if (open) { EXPECT_TRUE(QTest::qWaitForWindowExposed(open->Widget())); }
        act(dynamic_cast<ifkFontComboBoxMenu*>(open.get()));
    });
}

void Key(ifkFontComboBoxMenu* menu, Qt::Key key, const QString& text = {}) {
    QTest::keyClick(menu->Listbox1()->Widget(), key, Qt::NoModifier);
    if (!text.isEmpty()) QTest::keyClicks(menu->Listbox1()->Widget(), text);
}

class FontBoxTest : public kittest::KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        fw::SetFontsForTests(kFonts);
        fw::SetScreensForTests({{0, 0, 1200, 1000, 0, 0, 1200, 1000}});
        window = std::make_shared<BoxWindow>();
        window->Construct();
    }
    void TearDown() override {
        window.reset();
        KitTest::TearDown();
        fw::SetFontsForTests({});
        fw::SetScreensForTests({});
    }
    std::shared_ptr<BoxWindow> window;
};

} // namespace

TEST_F(FontBoxTest, ArrowClickOpensOneListUnlessTheUserTookIt) {
    struct Row { int x; bool menuOpen; std::optional<bool> user; bool opens, result; };   // user: MouseDown's answer
    const int w = window->box->Width;
    for (const Row& row : {Row{w - 23, false, {}, false, false}, Row{w - 22, false, {}, true, true},
                           Row{w - 1, true, {}, false, false}, Row{w - 22, false, true, false, true},
                           Row{w - 22, false, false, true, true}}) {
        auto& box = *window->box;
        box.MenuOpen = row.menuOpen, box.MouseDown = nullptr;
        if (row.user) box.MouseDown = [answer = *row.user](int, int) { return answer; };
        bool opened = false;
        WhilePoppedUp([&](ifkFontComboBoxMenu* menu) {
            opened = menu != nullptr;
            if (menu) Key(menu, Qt::Key_Escape);
        });
        EXPECT_EQ(box.Event_MouseDown(row.x, 5), row.result) << row.x;
        QApplication::processEvents();
        EXPECT_EQ(opened, row.opens) << row.x;
        EXPECT_EQ(box.MenuOpen, row.menuOpen) << row.x;
    }
}

// The rows follow the design row, then the platform's order. A row chosen earlier
// counts only while the text still names it; Return, and the keypad's Enter, go on to
// the default button.
TEST_F(FontBoxTest, ReturnTakesTheRowTheTextNamesWhole) {
    auto& box = *window->box;
    ASSERT_EQ(box.ListCount(), 5);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(box.List(i + 1), kFonts[static_cast<size_t>(i)]);
    EXPECT_EQ(box.Text(), "Papyrus");
    struct Row { int chosen; std::string typed, text; bool whole; };
    for (const Row& row : {Row{3, "Serif", "Serif", true}, Row{3, "Typed", "Typed", false},
                           Row{3, "Beta", "Beta", true}, Row{-1, "Typed", "Typed", false}})
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        box.SetListIndex(row.chosen), box.SetText(row.typed);
        const int sends = window->sends;
        QTest::keyClick(box.Widget(), key);
        EXPECT_EQ(box.Text(), row.text) << row.typed;
        EXPECT_EQ(box.SelLength(), row.whole ? static_cast<int>(row.text.size()) : 0) << row.typed;
        EXPECT_EQ(window->sends, sends + 1) << row.typed << " " << key;
    }
}

// Alt+Down, F4 and whatever else would drop Qt's list down open the kit's list under
// the box instead, once at a time; Qt's never shows.
TEST_F(FontBoxTest, EveryWayDownOpensTheKitsList) {
    auto& box = *window->box;
    auto* combo = static_cast<QComboBox*>(box.Widget());
    const auto altDown = [&] { QTest::keyClick(combo, Qt::Key_Down, Qt::AltModifier); };
    const auto f4 = [&] { QTest::keyClick(combo, Qt::Key_F4); };
    const auto qtsOwn = [&] { combo->showPopup(); };
    // fails: the kit's list cannot be placed; Qt's still stays away, and the box can open its list again.
    struct Row { const char* way; std::function<void()> press; bool menuOpen, fails = false; };
    for (const Row& row : {Row{"Alt+Down", altDown, false}, Row{"F4", f4, false}, Row{"Qt's own", qtsOwn, false},
                           Row{"F4 while open", f4, true}, Row{"F4, the list failing", f4, false, true}}) {
        box.MenuOpen = row.menuOpen, box.SetText("Papyrus");
        QPoint at;
        bool opened = false;
        if (row.fails) fw::System::UnregisterLibraryFunction("Carbon", "GetWindowGreatestAreaDevice");
        else WhilePoppedUp([&](ifkFontComboBoxMenu* menu) {
            if (!(opened = menu != nullptr)) return;
            at = QPoint(menu->Left(), menu->Top());
            EXPECT_TRUE(box.MenuOpen) << row.way;
            Key(menu, Qt::Key_Down), Key(menu, Qt::Key_Return);   // nothing highlighted: Down picks the first
        });
        row.press();
        QApplication::processEvents();
        carbon::InstallCarbonLibrary();
        EXPECT_EQ(opened, !row.menuOpen && !row.fails) << row.way;
        EXPECT_FALSE(combo->view()->window()->isVisible()) << row.way;
        EXPECT_EQ(box.MenuOpen, row.menuOpen) << row.way;
        if (row.menuOpen || row.fails) continue;
        EXPECT_EQ(at, QPoint(window->Left() + box.Left, window->Top() + box.Top + box.Height)) << row.way;
        EXPECT_EQ(box.Text(), "alpha") << row.way;
    }
}

TEST_F(FontBoxTest, WaysOutOfTheListAnswerTheChosenOrTheCurrentName) {
    struct Row { const char* way; std::string current; std::function<void(ifkFontComboBoxMenu*)> act; std::string answer; };
    const auto down = [](ifkFontComboBoxMenu* m) { Key(m, Qt::Key_Down); };
    QWindow* elsewhere = window->Widget()->windowHandle();
    const std::vector<Row> rows = {
        {"double quote", "Beta", [&](auto* m) { down(m); QTest::keyClicks(m->Listbox1()->Widget(), "\""); }, "Mono"},
        {"line feed", "alpha", [&](auto* m) { QTest::sendKeyEvent(QTest::Click, m->Listbox1()->Widget(), Qt::Key_unknown, QString("\n"), {}); }, "alpha"},
        {"click on a row", "Beta", [](auto* m) {
             auto* list = static_cast<QListWidget*>(m->Listbox1()->Widget());
             QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(3)).center());
         }, "Serif"},
        {"deactivation", "Beta", [&](auto* m) {
             down(m);
             QWindow other;   // another application comes to the front
             other.show(), other.requestActivate(), QApplication::processEvents();
             if (m->IsOpen()) Key(m, Qt::Key_Return);   // not closed: answers a wrong name
         }, "Beta"},
        {"absent current name, Return", "Papyrus", [](auto* m) { Key(m, Qt::Key_Return); }, ""},
        {"absent current name, Down and Return", "Papyrus", [&](auto* m) { down(m), Key(m, Qt::Key_Return); }, "alpha"},
        // On the desktop any click outside closes the list; this row keeps it open while the opening press is held.
        {"a new press outside", "Beta", [&](auto* m) {   // the running close timer, acted by hand
             QEvent leave(QEvent::Leave);   // the pointer goes outside the list
             QApplication::sendEvent(m->Widget(), &leave), m->CloseTimer_Action();   // the opening press is still held
             EXPECT_TRUE(m->IsOpen() && m->CloseTimer->Mode() == fw::Timer::ModeMultiple);
             QTest::mouseRelease(elsewhere, Qt::LeftButton, {}, QPoint(5, 5)), m->CloseTimer_Action();
             down(m);
             QTest::mousePress(elsewhere, Qt::LeftButton, {}, QPoint(5, 5)), m->CloseTimer_Action();
             if (m->IsOpen()) Key(m, Qt::Key_Return);
         }, "Beta"},
    };
    for (const Row& row : rows) {
        if (row.way == std::string("a new press outside")) QTest::mousePress(elsewhere, Qt::LeftButton, {}, QPoint(5, 5));
        WhilePoppedUp([&](ifkFontComboBoxMenu* menu) {
            ASSERT_NE(menu, nullptr);
            auto list = menu->Listbox1();
            EXPECT_EQ(list->List(0), "alpha") << "sorted without regard to case";
            EXPECT_EQ(list->Text(), row.current == "Papyrus" ? "" : row.current) << row.way;
            row.act(menu);
        });
        EXPECT_EQ(ifkFontComboBoxMenu::Instance()->Popup(10, 100, 153, row.current), row.answer) << row.way;
        QTest::mouseRelease(elsewhere, Qt::LeftButton, {}, QPoint(5, 5));
        QApplication::processEvents();
    }
}

TEST_F(FontBoxTest, ListIsPlacedAgainstTheAvailableAreaOfItsScreen) {
    struct Row { int fonts, availTop, availHeight, top, wantTop, wantHeight; };
    for (const Row& row : {Row{40, 0, 1000, 700, 280, 720},     // room 300 < 720: moved up
                           Row{10, 0, 1000, 500, 500, 500},     // room 500 > 180: down to the bottom
                           Row{10, 0, 1000, 820, 820, 300},     // room equals the list: design height
                           Row{80, 30, 1000, 700, 30, 1000}}) { // taller than the screen
        std::vector<std::string> names;
        for (int i = 0; i < row.fonts; ++i) names.push_back("Font " + std::to_string(100 + i));
        fw::SetFontsForTests(names);
        fw::SetScreensForTests({{0, 0, 1200, row.availTop + row.availHeight, 0, row.availTop, 1200, row.availHeight}});
        int top = -1, height = -1, shown = -1;
        bool scrolls = false;
        WhilePoppedUp([&](ifkFontComboBoxMenu* menu) {
            top = menu->Top();
            height = menu->Content()->height();
            auto* list = static_cast<QListWidget*>(menu->Listbox1()->Widget());
            shown = list->viewport()->height();
            scrolls = list->verticalScrollBar()->isVisible();
            Key(menu, Qt::Key_Escape);
        });
        ifkFontComboBoxMenu::Instance()->Popup(40, row.top, 153, "");
        EXPECT_EQ(QPoint(top, height), QPoint(row.wantTop, row.wantHeight)) << row.fonts;
        // The rows get the whole height, the border lying over them: a list as high as
        // its rows shows them all.
        EXPECT_EQ(shown, height) << row.fonts;
        EXPECT_EQ(scrolls, row.fonts * 18 > height) << row.fonts;
    }
}

// A typed beginning is completed by the rest of the first listed name it starts, whatever its case.
TEST_F(FontBoxTest, TypedNamesCompleteWhateverTheirCase) {
    auto* edit = static_cast<QComboBox*>(window->box->Widget())->lineEdit();
    window->Widget()->show(), window->Widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->Widget()));
    edit->setFocus();
    for (auto [typed, completed] : {std::pair{"mo", "mono"}, {"BE", "BEta"}, {"Al", "Alpha"}, {"x", "x"}}) {
        edit->clear();
        QTest::keyClicks(edit, typed);
        EXPECT_EQ(window->box->Text(), completed) << typed;
    }
}

// Each name is drawn in its own face, unless that face would draw pictures for it.
TEST_F(FontBoxTest, EveryRowOfTheListCanBeRead) {
    auto menu = ifkFontComboBoxMenu::Instance();
    auto picture = fw::Picture::New(100, 18, 32);
    for (auto [name, face] : {std::pair{"DejaVu Serif", "DejaVu Serif"}, {"Standard Symbols PS", "System"}, {"D050000L", "System"}}) {
        menu->Listbox1()->AddRow(name);
        fw::Graphics& g = picture->GetGraphics();
        g.TextFont = "System";
        EXPECT_FALSE(menu->Listbox1_CellTextPaint(g, menu->Listbox1()->ListCount() - 1, 0, 4, 12));
        EXPECT_EQ(g.TextFont, face) << name;
    }
    menu->Close();
}
