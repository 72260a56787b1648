#include "framework/ui/UserInteraction.h"
#include "interfacekit/InterfaceKitSupport.h"
#include "interfacekit/ifkColorWell.h"
#include "interfacekit/ifkColors.h"
#include "platform/carbon/CarbonButton.h"
#include "tests/interfacekit/KitFixture.h"

using namespace kittest;
using carbon::kThemeStateActive, carbon::kThemeStatePressed;

namespace {

// Counts the redraws the button asks for.
class Button : public ifkButton {
public:
    int redraws = 0;
    using ifkButton::getDrawHeight;

protected:
    void update(bool flag) override { ++redraws, ifkButton::update(flag); }
};

class ButtonTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        fw::UserInteraction::Install(ui);
        window = OpenWindow({{"button", button}, {"well", wellControl}});
        window->Widget()->activateWindow();
        QApplication::processEvents();
        carbon::SetThemeButtonObserver([this](const carbon::ThemeButtonDraw& d) { drawn.push_back(d); });
        // Whatever the activation focused, each test starts without the focus adornment.
        b.DeliverFocus(false);
        b.redraws = 0;
    }
    void TearDown() override {
        carbon::SetThemeButtonObserver(nullptr);
        fw::UserInteraction::Install(nullptr);
        window->DestroyWidget();
        KitTest::TearDown();
    }
    // What the last paint handed the platform.
    carbon::ThemeButtonDraw Paint(ifkButton& control) {
        drawn.clear();
        control.DeliverPaint();
        return drawn.empty() ? carbon::ThemeButtonDraw{} : drawn.back();
    }
    std::shared_ptr<fw::ScriptedUserInteraction> ui = std::make_shared<fw::ScriptedUserInteraction>();
    std::shared_ptr<Button> button = Placed<Button>(10, 20, 80, 40);
    std::shared_ptr<ifkColorWell> wellControl = Placed<ifkColorWell>(100, 20, 30, 22);
    std::shared_ptr<fw::Window> window;
    Button& b = *button;
    ifkColorWell& well = *wellControl;
    std::vector<carbon::ThemeButtonDraw> drawn;
};

} // namespace

// key: a press at 5,5 dragged and released at x,y when empty; user: the user's MouseDown takes that press over.
TEST_F(ButtonTest, ReleaseInsideAppliesTheTypeRuleBeforeActionWhileKeysAndPushNeverFlip) {
    const struct { int type; int32_t start; std::string key; bool user; int x, y; bool action; int32_t value; } rows[] = {
        {0, 0, "", false, 5, 5, true, 0},   {1, 0, "", false, 5, 5, true, 1},   {1, 1, "", false, 5, 5, true, 0},
        {1, 2, "", false, 5, 5, true, 0},   {2, 0, "", false, 5, 5, true, 1},   {7, 2, "", false, 5, 5, true, 2},
        {1, 0, "", false, 0, 5, false, 0},  {1, 0, "", false, 5, 0, false, 0},  {1, 0, "", false, 80, 5, false, 0},
        {1, 0, "", false, 5, 40, false, 0}, {1, 0, "", false, 79, 39, true, 1}, {1, 0, "", true, 6, 6, false, 0},
        {1, 0, " ", false, 5, 5, true, 0},  {1, 0, "a", false, 5, 5, false, 0}, {1, 0, "push", false, 5, 5, true, 0},
    };
    for (const auto& row : rows) {
        b.SetType(row.type), b.SetIntegerValue(row.start);
        int32_t valueAtAction = -1;
        uint32_t stateAtAction = 0;
        std::vector<int> userSaw;
        b.Action = [&] { valueAtAction = b.IntegerValue(), stateAtAction = Paint(b).state; };
        b.MouseDown = [&](int, int) { return row.user; };
        b.MouseDrag = b.MouseUP = [&](int x, int) { userSaw.push_back(x); };
        if (row.key == "push") {
            b.Push();
        } else if (!row.key.empty()) {
            EXPECT_FALSE(b.DeliverKeyDown(row.key));
        } else {
            ASSERT_TRUE(b.DeliverMouseDown(5, 5));
            b.redraws = 0;
            b.DeliverMouseDrag(row.x, row.y), b.DeliverMouseUp(row.x, row.y);
        }
        EXPECT_EQ(valueAtAction, row.action ? row.value : -1) << row.type << " " << row.key << row.x << "," << row.y;
        EXPECT_EQ(std::pair(b.IntegerValue(), stateAtAction), std::pair(row.value, row.action ? kThemeStatePressed : 0u));
        EXPECT_EQ(userSaw, (row.user ? std::vector<int>{row.x, row.x} : std::vector<int>{}));
        EXPECT_TRUE(!row.user || b.redraws == 0) << "a press the user took is not drawn";
        EXPECT_EQ(Paint(b).state, kThemeStateActive);
    }
}

TEST_F(ButtonTest, MenuPopsUpAtTheCornerOnlyForAMenuActionHandler) {
    b.Menu = std::make_shared<fw::MenuItem>();
    b.Menu->Append(std::make_shared<fw::MenuItem>("One"));
    int actions = 0;
    b.Action = [&] { ++actions; };
    EXPECT_FALSE(b.DeliverMouseDown(5, 5));
    EXPECT_TRUE(ui->popUps.empty());

    fw::MenuItemRef chosen;
    b.MenuAction = [&](const fw::MenuItemRef& item) { chosen = item; };
    ui->popUpAnswers.push_back(0);
    EXPECT_FALSE(b.DeliverMouseDown(5, 5));
    ASSERT_EQ(ui->popUps.size(), 1u);
    const fw::MemoryBlock corner = InterfaceKitSupport::getScreenXY(&b);
    EXPECT_EQ(QPoint(ui->popUps[0].x, ui->popUps[0].y), QPoint(int(corner.SingleValue(0)), int(corner.SingleValue(4))));
    EXPECT_TRUE(chosen == b.Menu->Item(0) && actions == 0);
    EXPECT_EQ(Paint(b).state, kThemeStateActive);
}

TEST_F(ButtonTest, KindHeightAndPlaceFollowStyleAndSize) {
    // Metrics of the stand-in: the draw height of the fixed sizes.
    auto metric = [](int32_t m) { return InterfaceKitSupport::FixedSize(m, nullptr, "", 0); };
    const struct { int32_t style, size; uint16_t kind; int32_t height; float top; } rows[] = {
        {0, 0, 0, 40, 20},  {0, 1, 25, metric(19), 20},  {0, 3, 27, metric(98), 20},   {0, 5, 0, 40, 20},
        {6, 5, 6, metric(25), 20}, {9, 0, 12, 40, 18},    {9, 2, 11, metric(18), 18},   {13, 1, 32, metric(139), 18},
        {13, 2, 33, metric(140), 20}, {3, 2, 3, 40, 20},  {40, 1, 3, 40, 20},           {-1, 0, 3, 40, 20},
    };
    for (const auto& row : rows) {
        b.SetStyle(row.style), b.SetSize(row.size);
        const carbon::ThemeButtonDraw d = Paint(b);
        EXPECT_EQ(std::tuple(d.kind, b.getDrawHeight(), d.bounds), std::tuple(row.kind, row.height, QRectF(10, row.top, 80, row.height)))
            << row.style << "/" << row.size;
    }
}

// redraws: what the change asks for (Default and Value as their properties say); then what a paint hands on.
TEST_F(ButtonTest, ChangesRedrawAndSetStateAndAdornment) {
    int resized = 0, actions = 0;
    b.Resized = [&] { ++resized; };
    b.Action = [&] { ++actions; };
    const auto pressAndDrag = [&](std::vector<QPoint> drags) {
        return [&, drags] { b.DeliverMouseDown(5, 5); for (QPoint at : drags) b.DeliverMouseDrag(at.x(), at.y()); };
    };
    const struct { int32_t style; std::function<void()> act; int redraws; uint32_t state; uint16_t adornment; } rows[] = {
        {17, [&] { b.DeliverMouseOver(true); }, 1, carbon::kThemeStateRollover, 0},
        {0, [&] { b.DeliverMouseOver(true); }, 1, kThemeStateActive, 0},
        {17, [&] { b.DeliverMouseDown(5, 5); }, 1, kThemeStatePressed, 0},
        {0, [&] { b.Default = true; }, 0, kThemeStateActive, 1},
        {0, [&] { b.DeliverFocus(true); }, 1, kThemeStateActive, 4},
        {0, [&] { b.SetIntegerValue(1), b.SetIntegerValue(-1); }, 2, kThemeStateActive, 512},   // -1 is ignored
        {0, [&] { b.SetValue(true); }, 0, kThemeStateActive, 512},
        {0, [&] { b.SetIntegerValue(2), b.Default = true; }, 1, kThemeStateActive, 257},
        {0, [&] { b.SetEnabled(false); }, 1, carbon::kThemeStateInactive, 0},
        {0, [&] { b.SetCaption("Go"); }, 1, kThemeStateActive, 0},
        // A contextual click keeps the pressed look until the pointer moves.
        {0, [&] { b.DeliverContextualClick(5, 5, QPoint()); }, 1, kThemeStatePressed, 0},
        {0, [&] { b.DeliverContextualClick(5, 5, QPoint()), b.DeliverMouseOver(true); }, 2, kThemeStateActive, 0},
        // A drag redraws only when the pressed look changes, and a release outside is no push.
        {0, pressAndDrag({{6, 6}}), 1, kThemeStatePressed, 0}, {0, pressAndDrag({{6, 0}}), 2, kThemeStateActive, 0},
        {0, pressAndDrag({{90, 6}, {95, 6}}), 2, kThemeStateActive, 0},
        {0, pressAndDrag({{90, 6}, {6, 6}}), 3, kThemeStatePressed, 0},
        {0, [&] { b.SetSize(2); }, 1, kThemeStateActive, 0},
    };
    for (const auto& row : rows) {
        b.SetStyle(row.style);
        b.redraws = 0;
        row.act();
        EXPECT_EQ(b.redraws, row.redraws) << row.style;
        const carbon::ThemeButtonDraw d = Paint(b);
        EXPECT_EQ(std::pair(d.state, d.adornment), std::pair(row.state, row.adornment)) << row.style;
        b.DeliverMouseUp(90, 90), b.DeliverMouseOver(false), b.DeliverFocus(false);
        b.SetIntegerValue(0), b.Default = false, b.SetEnabled(true);
    }
    EXPECT_EQ(std::pair(resized, actions), std::pair(1, 0));
}

TEST_F(ButtonTest, SelectionStyleFillsWhileSelectedAndBoldensWhilePressed) {
    b.SetStyle(16), b.SetCaption("Pick");
    bool bold = false;
    b.Paint = [&](fw::Graphics& g) { bold = g.Bold; };
    const QRgb selected = ifkColors::IconLabelBackgroundSelected().Value() & 0xFFFFFF;
    for (auto [value, pressed, filled] : {std::tuple{false, false, false}, {false, true, true}, {true, false, true}}) {
        b.SetValue(value);
        if (pressed) b.DeliverMouseDown(5, 5);
        Paint(b);
        EXPECT_TRUE(drawn.empty());
        EXPECT_EQ(std::pair(bold, RgbAt(b.BackingPicture(), 40, 2) == selected), std::pair(pressed, filled));
        b.DeliverMouseUp(90, 90), b.Invalidate(true);
    }
}

// --- the colour well

TEST_F(ButtonTest, WellSwatchIsFramedTwoPixelsAroundAndOneBelow) {
    EXPECT_EQ(std::pair(well.Style(), well.Caption()), std::pair(3, std::string()));
    const fw::Color orange = 0xFF8000, frame = 0xAB5600;
    for (auto [color, frameColor] : {std::pair{fw::Color(0), fw::Color(0)}, std::pair{orange, frame}}) {
        well.SetcolorValue(color);
        const fw::PictureRef s = well.icon();
        ASSERT_EQ(QSize(s->Width(), s->Height()), QSize(20, 12));
        const struct { int x, y; bool frame; } pixels[] = {
            {0, 5, true}, {1, 5, true}, {2, 5, false}, {19, 5, true}, {18, 5, true}, {17, 5, false},
            {9, 0, true}, {9, 1, true}, {9, 2, false}, {9, 11, true}, {9, 10, false}};
        for (const auto& p : pixels)
            EXPECT_EQ(RgbAt(s, p.x, p.y), p.frame ? frameColor : color) << p.x << "," << p.y;
    }
    // In the 30 x 22 well the swatch lies 5 pixels inside each edge.
    Paint(well);
    const fw::PictureRef shown = well.BackingPicture();
    EXPECT_EQ(RgbAt(shown, 15, 11), orange);
    for (auto [at, inside] : {std::pair{QPoint(5, 5), true}, {QPoint(24, 16), true}, {QPoint(4, 4), false}, {QPoint(25, 17), false}})
        EXPECT_EQ(RgbAt(shown, at.x(), at.y()) == frame, inside) << at.x();
}

TEST_F(ButtonTest, WellRaisesChangedOnlyForAnAcceptedPick) {
    int changed = 0;
    well.Changed = [&] { ++changed; };
    well.SetcolorValue(0x123456);
    const auto click = [&] { well.DeliverMouseDown(5, 5), well.DeliverMouseUp(5, 5); };
    const struct { std::optional<fw::Color> answer; std::function<void()> open; fw::Color after; int changed; } rows[] = {
        {std::nullopt, click, 0x123456, 0}, {0x00AA00, click, 0x00AA00, 1},
        {0x0000FF, [&] { well.DeliverKeyDown(" "); }, 0x0000FF, 2}, {0xFF0000, [&] { well.Push(); }, 0xFF0000, 3},
    };
    for (const auto& row : rows) {
        ui->colorAnswers.push_back(row.answer);
        row.open();
        EXPECT_EQ(std::pair(well.colorValue(), changed), std::pair(row.after, row.changed));
        EXPECT_EQ(RgbAt(well.icon(), 10, 6), row.after);
    }
    EXPECT_EQ(ui->colorPrompts, std::vector<std::string>(4, "Choose A Color"));
}
