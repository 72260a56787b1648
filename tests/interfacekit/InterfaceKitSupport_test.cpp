#include "framework/core/Exceptions.h"
#include "framework/core/NumberRules.h"
#include "framework/core/System.h"
#include "framework/graphics/SystemColors.h"
#include "framework/ui/Canvas.h"
#include "framework/ui/ContainerControl.h"
#include "framework/ui/PagePanel.h"
#include "interfacekit/InterfaceKitSupport.h"
#include "interfacekit/ifkColors.h"
#include "platform/carbon/CarbonDrawing.h"
#include "platform/carbon/CarbonTheme.h"
#include "tests/interfacekit/KitFixture.h"

#include <QPainter>

namespace ks = InterfaceKitSupport;
using fw::Graphics;
using namespace kittest;

namespace {

// The theme identifier a test makes the system report: a status and a text.
carbon::OSStatus gThemeStatus = 0;
std::string gThemeName;
carbon::OSStatus FakeThemeIdentifier(carbon::CFStringRef* out) {
    if (gThemeStatus == 0) *out = carbon::NewCFString(gThemeName);
    return gThemeStatus;
}

class SupportTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        ks::ReleaseQDRefs();
        palette_ = QApplication::palette();
    }
    void TearDown() override {
        carbon::InstallCarbonLibrary();
        carbon::SetThemeColorsUnavailableForTests(false);
        QApplication::setPalette(palette_);
        KitTest::TearDown();
    }
    void ReportTheme(carbon::OSStatus status, const std::string& name) {
        gThemeStatus = status, gThemeName = name;
        fw::System::RegisterLibraryFunction("Carbon", "CopyThemeIdentifier", reinterpret_cast<void*>(&FakeThemeIdentifier));
    }
    QPalette palette_;
};

std::vector<float> Floats(const fw::MemoryBlock& block) {
    std::vector<float> values;
    for (size_t at = 0; at + 4 <= block.Size(); at += 4) values.push_back(block.SingleValue(at));
    return values;
}

// A 200 x 60 picture whose DrawString calls are recorded, in a 20-pixel fixed-width font.
struct Recorder {
    fw::PictureRef picture = fw::Picture::New(200, 60, 32);
    Graphics& g = picture->GetGraphics();
    std::vector<Graphics::TextCall> calls;
    Recorder() {
        g.TextFont = "DejaVu Sans Mono", g.TextSize = 20;
        g.SetTextObserver([this](const Graphics::TextCall& c) { calls.push_back(c); });
    }
    void Draw(const std::string& caption, int width, int alignment, const fw::PictureRef& icon = nullptr,
              ifkIconPlacement placement = ifkIconPlacement::Left, ifkIconStyle iconStyle = ifkIconStyle::Normal,
              ifkTextStyle textStyle = ifkTextStyle::Normal, ifkThemeState state = ifkThemeState::Active) {
        ks::DrawCaptionAndIcon(&g, caption, 5, 7, width, 30, alignment, textStyle, icon, placement, iconStyle, state);
    }
};

} // namespace

TEST_F(SupportTest, DisplayableLooksOnlyAtTheImmediateParent) {
    auto panel = std::make_shared<fw::PagePanel>();
    panel->PanelCount = 2;
    auto group = std::make_shared<fw::Canvas>();
    group->Parent = panel, group->PanelIndex = 2;
    // On the window, hidden, on the page the panel hides and the one it shows, under a non-panel whose own page is hidden.
    const struct { fw::ControlRef parent; int page; bool visible, expected; } rows[] = {
        {nullptr, 0, true, true}, {nullptr, 0, false, false}, {panel, 2, true, false}, {panel, 1, true, true}, {group, 0, true, true}};
    for (const auto& row : rows) {
        fw::Canvas control;
        control.Parent = row.parent, control.PanelIndex = row.page;
        control.SetVisible(row.visible);
        EXPECT_EQ(ks::Displayable(&control), row.expected) << row.page;
    }
    EXPECT_THROW(ks::Displayable(nullptr), fw::NilObjectException);
}

// A control's bounds, screen point and graphics look through one container; contexts are tracked until
// released once, and a flipped one is moved down by the height and mirrored.
TEST_F(SupportTest, PlacesAndContextsLookThroughToThePaintingControlOrAPictureWhichReleaseOnce) {
    auto canvas = Placed<fw::Canvas>();
    auto window = OpenWindow({{"canvas", canvas}});
    Graphics& wg = window->GetGraphics();
    const int32_t port = wg.Handle(Graphics::kPortHandle);
    testsupport::DebugLogCapture log;
    ks::ReleaseQDCGRef(0);   // before any context: nothing, no table
    EXPECT_TRUE(ks::QDRefs() == nullptr && ks::CreateCGContext(nullptr, true) == 0);
    canvas->Paint = [&](Graphics& own) {
        wg.ForeColor = 0xFF0000;
        wg.FillRect(10, 20, 3, 3);   // the canvas's corner, in window coordinates
        const int32_t ctx = ks::CreateCGContext(ks::getGraphics(canvas.get()), true);
        carbon::DrawInContext(ctx, [](QPainter& p) { p.fillRect(QRect(12, 22, 1, 1), Qt::green); });
        ks::ReleaseQDCGRef(ctx);
        own.ForeColor = 0x0000FF;
        own.FillRect(1, 1, 1, 1);
    };
    canvas->DeliverPaint();
    const fw::PictureRef pixels = canvas->BackingPicture();
    // The canvas erases its background, the window's, before each paint.
    const QRgb erased = window->Widget()->palette().color(QPalette::Window).rgb() & 0xFFFFFF;
    for (auto [at, rgb] : {std::pair{0, 0xFF0000u}, {1, 0x0000FFu}, {2, 0x00FF00u}, {3, erased}})
        EXPECT_EQ(RgbAt(pixels, at, at), rgb) << at;
    // Outside a paint the window's drawing lands in no control.
    wg.FillRect(0, 0, 200, 200);
    EXPECT_EQ(RgbAt(pixels, 3, 3), erased);
    EXPECT_TRUE(Graphics::FromPort(port) == &wg && wg.Handle(Graphics::kPortHandle) == port);

    // The content area, below any frame the platform draws, goes to 200, 150.
    window->Widget()->move(QPoint(200, 150) - (QPoint(window->Left(), window->Top()) - window->Widget()->pos()));
    ASSERT_EQ(QPoint(window->Left(), window->Top()), QPoint(200, 150));
    auto box = std::make_shared<fw::ContainerControl>();
    box->HostWindow = window.get(), box->PlaceLeft = 100, box->PlaceTop = 50;
    fw::Canvas inBox;
    inBox.Left = 10, inBox.Top = 20, inBox.Width = 80, inBox.Height = 22;
    inBox.Attach(box.get(), nullptr);
    const struct { const fw::Control* control; std::vector<float> bounds, screen; } rows[] = {
        {canvas.get(), {10, 20, 80, 22}, {210, 170}}, {&inBox, {110, 70, 80, 22}, {310, 220}}};
    for (const auto& row : rows) {
        EXPECT_EQ(Floats(ks::getBounds(row.control)), row.bounds);
        EXPECT_EQ(Floats(ks::getScreenXY(row.control)), row.screen);
        EXPECT_EQ(ks::getGraphics(row.control), &wg);
    }
    delete inBox.Widget();   // attached to no content, it has no parent to take it
    fw::Canvas loose;
    EXPECT_THROW(ks::getBounds(&loose), fw::NilObjectException);

    auto picture = fw::Picture::New(30, 22, 32);
    Graphics& g = picture->GetGraphics();
    const int32_t plain = ks::CreateCGContext(&g, false), flipped = ks::CreateCGContext(&g, true);
    EXPECT_TRUE(carbon::ContextTransform(plain)->isIdentity());
    EXPECT_EQ(carbon::ContextTransform(flipped)->map(QPointF(3, 5)), QPointF(3, 17));
    carbon::DrawInContext(flipped, [](QPainter& p) { p.fillRect(QRect(0, 0, 1, 1), Qt::red); });
    EXPECT_EQ(std::pair(RgbAt(picture, 0, 0), ks::QDRefs()->at(flipped)),
              std::pair(0xFF0000u, g.Handle(Graphics::kPortHandle)));
    for (int32_t context : {flipped, flipped, 12345}) ks::ReleaseQDCGRef(context);   // twice, and never made: ignored
    EXPECT_TRUE(ks::QDRefs()->size() == 1u && log.Lines().empty());
    // A context the platform no longer knows is logged and still leaves the table.
    int32_t copy = plain;
    carbon::QDEndCGContext(g.Handle(Graphics::kPortHandle), &copy);
    ks::ReleaseQDCGRef(plain);
    EXPECT_TRUE(ks::QDRefs()->empty() && carbon::OpenContextCount() == 0);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"Error releasing QDContext: -50"});
}

TEST_F(SupportTest, ThemeNameAndMetricsAreAskedByName) {
    const int before = carbon::LiveStringCount();
    EXPECT_EQ(ks::CurrentVisualTheme(false).rfind("org.qt-project.style.", 0), 0u);
    EXPECT_EQ(carbon::LiveStringCount(), before);
    EXPECT_EQ(ks::FixedSize(9999, nullptr, "", 0), 0);
    fw::System::UnregisterLibraryFunction("Carbon", "GetThemeMetric");
    EXPECT_THROW(ks::FixedSize(19, nullptr, "", 0), fw::FunctionNotFoundException);
}

// In the recorder's font "0123456789" is 120 wide; iconX, iconY: the icon's top left corner.
TEST_F(SupportTest, CaptionsLoseTheirMnemonicsAreCutToFitAndFollowTheAlignmentAndIconPlacement) {
    Recorder probe;
    ASSERT_EQ(fw::ToInt32(probe.g.StringWidth("0123456789")), 120);
    const int tw = fw::ToInt32(probe.g.StringWidth("Hi")), th = probe.g.TextHeight(), asc = probe.g.TextAscent();
    const int top = 7 + asc, middle = 7 + (30 - th) / 2 + asc;   // the baselines at the top and centred
    const auto icon = SolidPicture(10, 6, 0xFF0000);
    constexpr auto kLeft = ifkIconPlacement::Left, kTop = ifkIconPlacement::Top;
    const struct { std::string caption, shown; int width, alignment, textX, baseline; fw::PictureRef icon = nullptr;
                   ifkIconPlacement placement = kLeft; int iconStyle = 0, iconX = 0, iconY = 0; } rows[] = {
        {"A&&B", "A&B", 200, 9, 5, top}, {"&&&", "&", 200, 9, 5, top}, {"@\u20AC", "&", 200, 9, 5, top},
        {"&File", "File", 200, 9, 5, top}, {"", "", 200, 9, 5, top},
        // Centred in 64 (60 of the 120 fit), in just enough room, and in less than the ellipsis.
        {"0123456789", "0123\u2026", 64, 0, 7, middle}, {"0123456789", "0123456789", 124, 0, 7, middle},
        {"0123456789", "\u2026", 4, 0, 1, middle},
        {"Hi", "Hi", 100, 4, 13, 9 + asc}, {"Hi", "Hi", 100, 8, 97 - tw, 35 - th + asc}, {"Hi", "Hi", 100, -1, 5, top},
        {"Hi", "Hi", 100, 4, 27, 9 + asc, icon, kLeft, 0, 13, 19},   // the icon centred, the text aligned
        {"Hi", "Hi", 100, 4, 13, 19 + asc, icon, kTop, 0, 50, 9},    // above, centred in the width
        {"Hi", "Hi", 100, 4, 27, 9 + asc, icon, kLeft, 5, 13, 19},   // an unknown look: room, no ink
    };
    for (const auto& row : rows) {
        Recorder r;
        const auto look = static_cast<ifkIconStyle>(row.iconStyle);
        r.Draw(row.caption, row.width, row.alignment, row.icon, row.placement, look);
        ASSERT_EQ(r.calls.size(), 1u) << row.caption;
        const Graphics::TextCall& c = r.calls[0];
        EXPECT_EQ(std::tuple(c.text, c.x, c.y), std::tuple(row.shown, row.textX, row.baseline))
            << row.caption << row.alignment;
        if (row.icon) {
            const QRgb ink = row.iconStyle == 0 ? 0xFF0000 : 0xFFFFFF;
            const int x = row.iconX, y = row.iconY;
            EXPECT_EQ(std::tuple(RgbAt(r.picture, x, y), RgbAt(r.picture, x + 9, y + 5), RgbAt(r.picture, x, y - 1)),
                      std::tuple(ink, ink, 0xFFFFFFu)) << x;
        }
    }
}

// Without a visual theme an inactive caption gets a bevel pass; an unreadable theme name counts as a theme.
TEST_F(SupportTest, TextStylesDrawTheirPassesInOrder) {
    const fw::Color active = ifkColors::TextActive(), disabled = ifkColors::TextDisabled(), bevel = fw::LightBevelColor();
    using Pass = std::tuple<int, int, fw::Color>;   // offset x, offset y, colour
    using Style = ifkTextStyle;
    const std::string themed = "org.qt-project.style.fusion", plain = carbon::kThemeNoAppearanceIdentifier;
    constexpr auto kActive = ifkThemeState::Active, kInactive = ifkThemeState::Inactive;
    const struct {
        Style style; ifkThemeState state; carbon::OSStatus status; std::string theme; std::vector<Pass> passes;
    } rows[] = {
        {Style::Normal, kActive, 0, plain, {{0, 0, active}}},
        {Style::Normal, kInactive, 0, themed, {{0, 0, disabled}}},
        {Style::Normal, kInactive, 0, plain, {{1, 1, bevel}, {0, 0, disabled}}},
        {Style::Normal, kInactive, 0, "Unable to retreive Visual Style Name", {{1, 1, bevel}, {0, 0, disabled}}},
        {Style::Normal, kInactive, -1, "", {{0, 0, disabled}}},
        {Style::Engraved, kActive, 0, themed, {{0, 1, bevel}, {0, 0, active}}},
        {Style::EngravedInversed, kInactive, 0, plain, {{0, 1, active}, {0, 0, 0xFFFFFF}}},
        {Style::Shadow, kInactive, 0, plain, {{0, 1, 0x404040}, {1, 1, bevel}, {0, 0, disabled}}},
    };
    for (const auto& row : rows) {
        ReportTheme(row.status, row.theme);
        Recorder r;
        r.Draw("Hi", 100, 9, nullptr, ifkIconPlacement::Left, ifkIconStyle::Normal, row.style, row.state);
        std::vector<Pass> passes;
        for (const auto& c : r.calls) passes.emplace_back(c.x - 5, c.y - 7 - r.g.TextAscent(), c.color);
        EXPECT_EQ(passes, row.passes) << static_cast<int>(row.style) << row.theme;
        EXPECT_EQ(r.g.ForeColor, std::get<2>(row.passes.back()));
    }
    EXPECT_THROW(ks::DrawCaptionAndIcon(nullptr, "x", 0, 0, 10, 10, 0, {}, nullptr, {}, {}, {}),
                 fw::NilObjectException);
}

TEST_F(SupportTest, IconVariantsKeepTheSourceAsItWas) {
    auto icon = SolidPicture(4, 4, 0x336699);
    fw::Graphics& sourceMask = icon->Mask(true)->GetGraphics();
    sourceMask.ForeColor = 0x123456;
    const auto disabled = ks::AsDisabledIcon(icon);
    // Grey where the source is opaque, the colours kept, and the source's own mask untouched.
    EXPECT_EQ(std::tuple(RgbAt(disabled->Mask(false), 3, 3), RgbAt(disabled, 0, 0), RgbAt(icon->Mask(false), 3, 3)),
              std::tuple(0x808080u, 0x336699u, 0x000000u));
    EXPECT_EQ(sourceMask.ForeColor, 0x123456u);
    for (auto [from, to] : {std::pair{0xFFFFFFu, 0x7F7F7Fu}, std::pair{0x64C880u, 0x004800u}})
        EXPECT_EQ(RgbAt(ks::AsPressedIcon(SolidPicture(2, 2, from)), 1, 1), to) << std::hex << from;

    // One opaque black pixel at (3, 4): engraved, it gains a band pixel below it.
    auto dot = SolidPicture(16, 16, 0x000000);
    dot->Mask(true)->Image().fill(Qt::white);
    dot->Mask(true)->Image().setPixel(3, 4, qRgb(0, 0, 0));
    const auto engraved = ks::AsEngraved(dot), inversed = ks::AsEngravedInversed(dot);
    ASSERT_EQ(QSize(engraved->Width(), engraved->Height()), QSize(16, 17));
    // x, y, then the mask both share, the engraved colour and the inversed one.
    constexpr QRgb kW = 0xFFFFFF;
    const std::tuple<int, int, QRgb, QRgb, QRgb> rows[] = {
        {3, 4, 0, 0, kW}, {3, 5, 0, kW, 0}, {3, 6, kW, kW, 0}, {4, 4, kW, kW, 0}};
    for (const auto& [x, y, mask, engravedColour, inversedColour] : rows) {
        const auto masks = std::pair(RgbAt(engraved->Mask(false), x, y), RgbAt(inversed->Mask(false), x, y));
        EXPECT_EQ(std::tuple(masks, RgbAt(engraved, x, y), RgbAt(inversed, x, y)),
                  std::tuple(std::pair(mask, mask), engravedColour, inversedColour)) << x << "," << y;
    }
}

TEST_F(SupportTest, ThemeColoursComeFromThePaletteWithTheirFallbacks) {
    QPalette palette = QApplication::palette();
    const auto shown = [] { return std::pair(ifkColors::TextActive(), ifkColors::IconLabelBackgroundSelected()); };
    const struct { QColor text, highlight; fw::Color active, selected; } rows[] = {
        {Qt::white, Qt::black, 0xFFFFFF, 0x000000}, {QColor(0x12, 0x80, 0xFE), Qt::white, 0x1280FE, 0xFFFFFF}};
    for (const auto& row : rows) {   // each call asks anew: a palette change shows at once
        palette.setColor(QPalette::Active, QPalette::ButtonText, row.text);
        palette.setColor(QPalette::Active, QPalette::Highlight, row.highlight);
        QApplication::setPalette(palette);
        EXPECT_EQ(shown(), std::pair(row.active, row.selected));
    }
    carbon::SetThemeColorsUnavailableForTests(true);
    fw::Color kept = 0xABCDEF;
    EXPECT_EQ(shown(), std::pair(fw::Color(0), fw::Color(0)));
    EXPECT_TRUE(!ifkColors::GetTextColor(34, kept) && kept == 0xABCDEFu);
    EXPECT_EQ(ifkColors::TextDisabled(), fw::DisabledTextColor());
}
