#include "framework/core/Exceptions.h"
#include "framework/core/Runtime.h"
#include "framework/ui/Canvas.h"
#include "framework/ui/ComboBox.h"
#include "framework/ui/Listbox.h"
#include "framework/ui/MenuBar.h"
#include "framework/ui/PagePanel.h"
#include "framework/ui/PushButton.h"
#include "framework/ui/Window.h"
#include "tests/common/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QWheelEvent>

namespace {

// A small window with a canvas on page 1 and a button on page 2 of a panel.
class TestWindow : public fw::Window {
public:
    std::string ClassName() const override { return "TestWindow"; }
    void Layout() override { Width = 200, Height = 100, Title = "Test"; }
    void CreateControls() override {
        AddControl("panel", panel);
        panel->PanelCount = 2, panel->Width = 200, panel->Height = 100;
        AddControl("canvas", canvas);
        canvas->Parent = panel, canvas->PanelIndex = 1, canvas->Width = 50, canvas->Height = 40;
        canvas->AcceptFocus = true;
        AddControl("button", button);
        button->Parent = panel, button->PanelIndex = 2;
        button->Left = 10, button->Top = 60, button->Width = 80, button->Height = 20;
        button->Default = true;
        button->Action = [this] { ++pushes; };
    }
    bool Event_CancelClose(bool appQuitting) override {
        closeRequests.push_back(appQuitting);
        if (std::exchange(throwOnce, false)) throw fw::NilObjectException("close handler");
        return cancelCloses;
    }

    std::shared_ptr<fw::PagePanel> panel = std::make_shared<fw::PagePanel>();
    std::shared_ptr<fw::Canvas> canvas = std::make_shared<fw::Canvas>();
    std::shared_ptr<fw::PushButton> button = std::make_shared<fw::PushButton>();
    int pushes = 0;
    bool cancelCloses = false;
    bool throwOnce = false;
    std::vector<bool> closeRequests;
};

// A 200 x 100 window holding the given controls.
struct Holder : fw::Window {
    std::vector<fw::ControlRef> controls;
    void Layout() override { Width = 200, Height = 100; }
    void CreateControls() override {
        for (size_t i = 0; i < controls.size(); ++i) AddControl("c" + std::to_string(i), controls[i]);
    }
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { window->Construct(); }
    void TearDown() override {
        window.reset();
        fw::Runtime::ReleaseFrameworkLists();
        fw::Runtime::ResetQuitState();
    }
    std::shared_ptr<TestWindow> window = std::make_shared<TestWindow>();
};

} // namespace

TEST_F(WindowTest, PanelShowsOnlyItsPageAndReturnPushesTheShownDefaultButton) {
    EXPECT_TRUE(window->canvas->Widget()->isVisible() && !window->button->Widget()->isVisible());
    QTest::keyClick(window->Widget(), Qt::Key_Return);
    EXPECT_EQ(window->pushes, 0);
    window->panel->SetValue(1);
    EXPECT_TRUE(!window->canvas->Widget()->isVisible() && window->button->Widget()->isVisible());
    QTest::keyClick(window->Widget(), Qt::Key_Return);
    EXPECT_EQ(window->pushes, 1);
    window->panel->SetValue(5);   // out of range: ignored
    EXPECT_EQ(window->panel->Value(), 1);
}

TEST_F(WindowTest, DragsAndMouseUpFollowOnlyAConsumedMouseDown) {
    auto canvas = window->canvas;
    std::vector<std::string> events;
    bool consume = false;
    canvas->MouseDown = [&](int, int) { events.push_back("down"); return consume; };
    canvas->MouseDrag = [&](int x, int y) { events.push_back("drag " + std::to_string(x) + "," + std::to_string(y)); };
    canvas->MouseUp = [&](int, int) { events.push_back("up"); };

    QTest::mousePress(canvas->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(canvas->Widget(), QPoint(9, 9));
    QTest::mouseRelease(canvas->Widget(), Qt::LeftButton, {}, QPoint(9, 9));
    EXPECT_EQ(events, std::vector<std::string>{"down"});
    events.clear(), consume = true;
    canvas->DeliverMouseDown(5, 5), canvas->DeliverMouseDrag(-20, 300), canvas->DeliverMouseUp(-20, 300);
    canvas->DeliverMouseDrag(1, 1);   // after the release: no longer captured
    EXPECT_EQ(events, (std::vector<std::string>{"down", "drag -20,300", "up"}));
}

// Every key arrives, also one that types nothing; a modifier, a lock or a dead key
// pressed alone is no key.
TEST_F(WindowTest, EveryKeyArrivesAsItsCharacterCode) {
    const std::tuple<Qt::Key, const char*, const char*> rows[] = {{Qt::Key_Left, "", "\x1c"}, {Qt::Key_Right, "", "\x1d"},
        {Qt::Key_Up, "", "\x1e"}, {Qt::Key_Down, "", "\x1f"}, {Qt::Key_Return, "\r", "\r"}, {Qt::Key_Escape, "", "\x1b"},
        {Qt::Key_A, "a", "a"}, {Qt::Key_Home, "", "\x01"}, {Qt::Key_End, "", "\x04"}, {Qt::Key_Insert, "", "\x05"},
        {Qt::Key_PageUp, "", "\x0b"}, {Qt::Key_PageDown, "", "\x0c"}, {Qt::Key_F1, "", "\x10"}, {Qt::Key_F12, "", "\x10"},
        {Qt::Key_Print, "", "\x10"}, {Qt::Key_Shift, "", ""}, {Qt::Key_Control, "", ""}, {Qt::Key_Meta, "", ""},
        {Qt::Key_AltGr, "", ""}, {Qt::Key_CapsLock, "", ""}, {Qt::Key_Dead_Acute, "", ""}, {Qt::Key_unknown, "", ""},
        {Qt::Key_unknown, "\n", "\n"}};
    for (const auto& [key, text, code] : rows) EXPECT_EQ(fw::KeyTextFor(key, text), code) << std::hex << key;
    std::vector<std::string> keys;
    window->canvas->KeyDown = [&](const std::string& key) { keys.push_back(key); return false; };
    window->canvas->SetFocus();
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Shift, Qt::Key_Q, Qt::Key_Home, Qt::Key_F5})
        QTest::keyClick(window->canvas->Widget(), key);
    EXPECT_EQ(keys, (std::vector<std::string>{"\x1e", "q", "\x01", "\x10"}));
}

// Drawing outside a paint lands in the backing picture; drawing during one does not
// ask for another paint.
TEST_F(WindowTest, CanvasDrawingKeepsItsPixelsWithoutRepaintingItself) {
    auto& g = window->canvas->GetGraphics();
    g.ForeColor = 0xFF0000;
    g.FillRect(0, 0, 5, 5);
    const fw::PictureRef pixels = window->canvas->BackingPicture();
    EXPECT_EQ(std::pair(testsupport::RgbAt(pixels, 2, 2), testsupport::RgbAt(pixels, 20, 20)), std::pair(0xFF0000u, 0xFFFFFFu));

    int paints = 0;
    window->canvas->Paint = [&](fw::Graphics& own) { ++paints, own.FillRect(0, 0, 10, 10); };
    window->canvas->Widget()->repaint();
    QApplication::processEvents(), QApplication::processEvents();
    const int afterFirst = paints;
    QApplication::processEvents();
    EXPECT_TRUE(afterFirst >= 1 && paints == afterFirst) << paints;
}

// A close asks the window with appQuitting false, a quit with true; a refusal stops either.
TEST_F(WindowTest, ARefusedCloseOrQuitKeepsTheWindowOpen) {
    window->cancelCloses = true;
    EXPECT_TRUE(!window->Close() && window->IsOpen());
    fw::Runtime::Quit(), fw::Runtime::Quit();   // a second request while one is pending is ignored
    QApplication::processEvents();
    EXPECT_EQ(window->closeRequests, (std::vector<bool>{false, true}));
    EXPECT_TRUE(!fw::Runtime::HasQuit() && window->IsOpen());

    // A handler that throws goes to the debug log, stops that quit too, and does not block the next.
    testsupport::DebugLogCapture log;
    window->cancelCloses = false, window->throwOnce = true;
    fw::Runtime::Quit(), QApplication::processEvents();
    EXPECT_TRUE(!fw::Runtime::HasQuit() && !fw::Runtime::Quitting());
    EXPECT_TRUE(log.Lines().size() == 1u && log.Lines()[0].find("close handler") != std::string::npos);
    window->canvas->MouseDown = [](int, int) -> bool { throw fw::NilObjectException("missing photo"); };
    EXPECT_FALSE(window->canvas->DeliverMouseDown(1, 1));
    fw::Runtime::Quit(), QApplication::processEvents();
    EXPECT_TRUE(fw::Runtime::HasQuit() && !window->IsOpen());
}

// The Close key closes a framed window without a menu bar of its own (the about box's
// table); a window showing its own bar leaves the key to its menus, and a pop-up keeps it.
TEST(WindowCloseKey, LeavesAWindowWithItsOwnMenuBarAndAPopUpOpen) {
    for (const bool popUp : {false, true}) {
        auto window = std::make_shared<Holder>();
        if (popUp) window->Frame = fw::Window::kFrameGlobalFloating, window->MacProcID = fw::Window::kProcPlain;
        else window->MenuBar = std::make_shared<fw::MenuBar>(), window->MenuBar->Append(std::make_shared<fw::MenuItem>("File"));
        window->Construct();
        window->Show();
        QTest::keyClick(window->Widget(), Qt::Key_W, Qt::ControlModifier);
        EXPECT_TRUE(window->IsOpen() && window->Widget()->isVisible()) << popUp;
        window->Close();
    }
    fw::Runtime::ReleaseFrameworkLists();
}

// A window placed on its parent's screen takes the window in front as its parent, not
// the first one opened: here the first is frameless, so that its frame would misplace
// the new window's.
TEST(WindowPlacement, CentresOnTheScreenOfTheWindowInFrontFrameAndAll) {
    std::vector<std::shared_ptr<Holder>> windows(3);
    for (auto& w : windows) w = std::make_shared<Holder>();
    windows[0]->MacProcID = fw::Window::kProcPlain, windows[2]->Placement = fw::Window::kPlacementParentWindowScreen;
    windows[0]->Construct(), windows[1]->Construct();
    ASSERT_TRUE(QTest::qWaitForWindowActive(windows[1]->Widget()));
    windows[2]->Construct();
    QWidget* placed = windows[2]->Widget();
    EXPECT_EQ(placed->frameGeometry().center(), placed->screen()->availableGeometry().center());
    windows.clear();
    fw::Runtime::ReleaseFrameworkLists();
}

// Resized, a control keeps its distance to each edge it is locked to: locked to both
// sides it stretches, to the far side only it moves, to the near side or none it stays.
TEST(WindowResize, LockedControlsKeepTheirDistancesToTheirEdges) {
    struct Row { bool l, t, r, b; QRect after; };   // 10, 20, 30 x 40 in 200 x 100, after 260 x 150
    const Row rows[] = {{0, 0, 0, 0, {10, 20, 30, 40}}, {1, 1, 0, 0, {10, 20, 30, 40}}, {0, 0, 1, 0, {70, 20, 30, 40}},
                        {1, 0, 1, 0, {10, 20, 90, 40}}, {0, 0, 0, 1, {10, 70, 30, 40}}, {0, 1, 0, 1, {10, 20, 30, 90}},
                        {1, 1, 1, 1, {10, 20, 90, 90}}};
    auto window = std::make_shared<Holder>();
    for (const Row& row : rows) {
        auto c = std::make_shared<fw::Canvas>();
        c->Left = 10, c->Top = 20, c->Width = 30, c->Height = 40;
        c->LockLeft = row.l, c->LockTop = row.t, c->LockRight = row.r, c->LockBottom = row.b;
        window->controls.push_back(c);
    }
    auto list = std::make_shared<fw::Listbox>();   // its border lies over its edge, whatever its size
    list->Width = 30, list->Height = 40, list->LockLeft = list->LockTop = list->LockRight = list->LockBottom = true;
    window->controls.push_back(list);
    window->Construct();
    for (QSize size : {QSize(260, 150), QSize(200, 100)}) {
        window->SetWidth(size.width()), window->SetHeight(size.height());
        for (size_t i = 0; i < std::size(rows); ++i)
            EXPECT_EQ(window->controls[i]->Widget()->geometry(), size.width() == 200 ? QRect(10, 20, 30, 40) : rows[i].after) << i;
        const auto* border = list->Widget()->findChild<QFrame*>(QString(), Qt::FindDirectChildrenOnly);
        EXPECT_EQ(border ? border->geometry() : QRect(), QRect(0, 0, size.width() - 170, size.height() - 60));
    }
    window.reset();
    fw::Runtime::ReleaseFrameworkLists();
}

// A list row's text sits in the middle of its row, none of it above the row or cut at its foot.
TEST(ListboxRows, TextSitsInTheMiddleOfItsRow) {
    auto list = std::make_shared<fw::Listbox>();
    list->Width = 100, list->Height = 80;
    auto window = std::make_shared<Holder>();
    window->controls = {list};
    window->Construct();
    for (int i = 0; i < 3; ++i) list->AddRow("HH");
    auto* view = static_cast<QListWidget*>(list->Widget());
    QApplication::processEvents();
    const QImage shot = view->viewport()->grab().toImage();
    for (int row = 0; row < 3; ++row) {
        const QRect cell = view->visualItemRect(view->item(row));
        ASSERT_EQ(cell.height(), 18);
        int top = -1, bottom = -1;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                if (qGray(shot.pixel(x, y)) < 128) bottom = y, top = top < 0 ? y : top;
        EXPECT_NEAR(top + bottom, 2 * cell.center().y(), 3) << "row " << row << ": ink from " << top << " to " << bottom;
    }
    window.reset();
    fw::Runtime::ReleaseFrameworkLists();
}

// A wheel turned while the pointer passes over a combo box, on its arrow or in its
// text, changes neither its row nor its text: the window gets it.
TEST(ComboBoxWheel, LeavesTheChoiceAlone) {
    auto box = std::make_shared<fw::ComboBox>();
    box->Width = 60, box->Height = 20;
    box->SetInitialValue("8\r10\r12");
    box->SetListIndex(1);
    auto window = std::make_shared<Holder>();
    window->controls = {box};
    window->Construct();
    auto* combo = static_cast<QComboBox*>(box->Widget());
    for (QWidget* over : std::initializer_list<QWidget*>{combo, combo->lineEdit()})
        for (int delta : {-120, 120}) {
            QWheelEvent wheel({5, 5}, over->mapToGlobal(QPointF(5, 5)), {}, {0, delta}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(over, &wheel);
            EXPECT_EQ(std::pair(box->ListIndex(), box->Text()), std::pair(1, std::string("10"))) << delta;
        }
    window.reset();
    fw::Runtime::ReleaseFrameworkLists();
}
