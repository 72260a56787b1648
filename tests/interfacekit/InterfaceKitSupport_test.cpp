#include "framework/Canvas.h"
#include "framework/ContainerControl.h"
#include "framework/Exceptions.h"
#include "framework/NumberRules.h"
#include "framework/PagePanel.h"
#include "framework/Runtime.h"
#include "framework/System.h"
#include "framework/SystemColors.h"
#include "interfacekit/InterfaceKitSupport.h"
#include "interfacekit/ifkColors.h"
#include "platform/carbon/CarbonDrawing.h"
#include "platform/carbon/CarbonTheme.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>

namespace ks = InterfaceKitSupport;
using fw::Graphics;
using testsupport::RgbAt;
using testsupport::SolidPicture;

namespace {

void Place(fw::Control& c) { c.Left = 10, c.Top = 20, c.Width = 80, c.Height = 22; }

class TestWindow : public fw::Window {
public:
    void CreateControls() override {
        canvas = std::make_shared<fw::Canvas>();
        Place(*canvas);
        AddControl("canvas", canvas);
    }
    std::shared_ptr<fw::Canvas> canvas;
};

// The theme identifier a test makes the system report: a status and a text.
carbon::OSStatus gThemeStatus = 0;
std::string gThemeName;
carbon::OSStatus FakeThemeIdentifier(carbon::CFStringRef* out) {
    if (gThemeStatus == 0) *out = carbon::NewCFString(gThemeName);
    return gThemeStatus;
}

class KitTest : public ::testing::Test {
protected:
    void SetUp() override {
        carbon::InstallCarbonLibrary();
        ks::ReleaseQDRefs();
        QApplication::setFont(QFont("DejaVu Sans", 12));
        palette_ = QApplication::palette();
    }
    void TearDown() override {
        carbon::InstallCarbonLibrary();
        carbon::SetThemeColorsUnavailableForTests(false);
        QApplication::setPalette(palette_);
        fw::Runtime::ReleaseFrameworkLists();
    }
    void ReportTheme(carbon::OSStatus status, const std::string& name) {
        gThemeStatus = status;
        gThemeName = name;
        fw::System::RegisterLibraryFunction("Carbon", "CopyThemeIdentifier",
                                            reinterpret_cast<void*>(&FakeThemeIdentifier));
    }
    QPalette palette_;
};

// A 200 x 60 picture whose DrawString calls are recorded.
struct Recorder {
    fw::PictureRef picture = fw::Picture::New(200, 60, 32);
    Graphics& g = picture->GetGraphics();
    std::vector<Graphics::TextCall> calls;
    Recorder() {
        g.SetTextObserver([this](const Graphics::TextCall& c) { calls.push_back(c); });
    }
    void Draw(const std::string& caption, int width, int alignment, const fw::PictureRef& icon = nullptr,
              ifkIconPlacement placement = ifkIconPlacement::Left, ifkIconStyle iconStyle = ifkIconStyle::Normal,
              ifkTextStyle textStyle = ifkTextStyle::Normal, ifkThemeState state = ifkThemeState::Active) {
        ks::DrawCaptionAndIcon(&g, caption, 5, 7, width, 30, alignment, textStyle, icon, placement, iconStyle,
                               state);
    }
};

} // namespace

TEST_F(KitTest, DisplayableLooksOnlyAtTheImmediateParent) {
    auto panel = std::make_shared<fw::PagePanel>();
    panel->PanelCount = 2;
    auto group = std::make_shared<fw::Canvas>();
    group->Parent = panel, group->PanelIndex = 2;
    const struct { fw::ControlRef parent; int page; bool visible; bool expected; } rows[] = {
        {nullptr, 0, true, true},   // directly on the window
        {nullptr, 0, false, false}, // hidden
        {panel, 2, true, false},    // the panel shows page 1
        {panel, 1, true, true},
        {group, 0, true, true},     // under a non-panel whose own page is hidden
    };
    for (const auto& row : rows) {
        fw::Canvas control;
        control.Parent = row.parent, control.PanelIndex = row.page;
        control.SetVisible(row.visible);
        EXPECT_EQ(ks::Displayable(&control), row.expected) << row.page;
    }
    EXPECT_THROW(ks::Displayable(nullptr), fw::NilObjectException);
}

TEST_F(KitTest, BoundsAndScreenPointLookThroughOneContainer) {
    auto window = std::make_shared<TestWindow>();
    window->Construct();
    // The content area, below any frame the platform draws, goes to 200, 150.
    const QPoint frame = QPoint(window->Left(), window->Top()) - window->Widget()->pos();
    window->Widget()->move(QPoint(200, 150) - frame);
    ASSERT_EQ(QPoint(window->Left(), window->Top()), QPoint(200, 150));
    auto box = std::make_shared<fw::ContainerControl>();
    box->HostWindow = window.get(), box->PlaceLeft = 100, box->PlaceTop = 50;
    fw::Canvas inBox;
    Place(inBox);
    inBox.Attach(box.get(), nullptr);

    const struct { const fw::Control* control; std::vector<float> bounds; std::vector<float> screen; } rows[] = {
        {window->canvas.get(), {10, 20, 80, 22}, {210, 170}},
        {&inBox, {110, 70, 80, 22}, {310, 220}},
    };
    for (const auto& row : rows) {
        const fw::MemoryBlock bounds = ks::getBounds(row.control);
        const fw::MemoryBlock screen = ks::getScreenXY(row.control);
        ASSERT_EQ(bounds.Size(), 16u);
        ASSERT_EQ(screen.Size(), 8u);
        for (size_t i = 0; i < 4; ++i) EXPECT_EQ(bounds.SingleValue(4 * i), row.bounds[i]);
        for (size_t i = 0; i < 2; ++i) EXPECT_EQ(screen.SingleValue(4 * i), row.screen[i]);
        EXPECT_EQ(ks::getGraphics(row.control), &window->GetGraphics());
    }
    fw::Canvas loose;
    EXPECT_THROW(ks::getBounds(&loose), fw::NilObjectException);
}

TEST_F(KitTest, WindowGraphicsDrawsIntoThePaintingControlAtItsPlace) {
    auto window = std::make_shared<TestWindow>();
    window->Construct();
    Graphics& wg = window->GetGraphics();
    const int32_t port = wg.Handle(Graphics::kPortHandle);
    window->canvas->Paint = [&](Graphics& own) {
        wg.ForeColor = 0xFF0000;
        wg.FillRect(10, 20, 3, 3);               // the canvas's corner, in window coordinates
        const int32_t ctx = ks::CreateCGContext(ks::getGraphics(window->canvas.get()), true);
        carbon::DrawInContext(ctx, [](QPainter& p) { p.fillRect(QRect(12, 22, 1, 1), Qt::green); });
        ks::ReleaseQDCGRef(ctx);
        own.ForeColor = 0x0000FF;
        own.FillRect(1, 1, 1, 1);
    };
    window->canvas->DeliverPaint();
    const fw::PictureRef pixels = window->canvas->BackingPicture();
    EXPECT_EQ(RgbAt(pixels, 0, 0), 0xFF0000u);
    EXPECT_EQ(RgbAt(pixels, 1, 1), 0x0000FFu);
    EXPECT_EQ(RgbAt(pixels, 2, 2), 0x00FF00u);
    EXPECT_EQ(RgbAt(pixels, 3, 3), 0xFFFFFFu);
    // Outside a paint the window's drawing lands in no control.
    wg.FillRect(0, 0, 200, 200);
    EXPECT_EQ(RgbAt(pixels, 3, 3), 0xFFFFFFu);
    EXPECT_EQ(Graphics::FromPort(port), &wg);
    EXPECT_EQ(wg.Handle(Graphics::kPortHandle), port);
}

TEST_F(KitTest, ContextsAreFlippedTrackedAndReleasedOnce) {
    auto picture = fw::Picture::New(30, 22, 32);
    Graphics& g = picture->GetGraphics();
    testsupport::DebugLogCapture log;
    ks::ReleaseQDCGRef(0);   // before any context: nothing, no table
    EXPECT_EQ(ks::QDRefs(), nullptr);
    EXPECT_EQ(ks::CreateCGContext(nullptr, true), 0);

    const int32_t plain = ks::CreateCGContext(&g, false);
    const int32_t flipped = ks::CreateCGContext(&g, true);
    ASSERT_NE(plain, 0);
    ASSERT_NE(flipped, 0);
    EXPECT_TRUE(carbon::ContextTransform(plain)->isIdentity());
    // Moved down by 22, then mirrored: y = 5 of the context lies 17 up.
    EXPECT_EQ(carbon::ContextTransform(flipped)->map(QPointF(3, 5)), QPointF(3, 17));
    carbon::DrawInContext(flipped, [](QPainter& p) { p.fillRect(QRect(0, 0, 1, 1), Qt::red); });
    EXPECT_EQ(RgbAt(picture, 0, 0), 0xFF0000u);
    EXPECT_EQ(ks::QDRefs()->at(flipped), g.Handle(Graphics::kPortHandle));

    ks::ReleaseQDCGRef(flipped);
    ks::ReleaseQDCGRef(flipped);   // twice: ignored
    ks::ReleaseQDCGRef(12345);     // never made: ignored
    EXPECT_EQ(ks::QDRefs()->size(), 1u);
    EXPECT_TRUE(log.Lines().empty());
    // A context the platform no longer knows is logged and still leaves the table.
    int32_t copy = plain;
    carbon::QDEndCGContext(g.Handle(Graphics::kPortHandle), &copy);
    ks::ReleaseQDCGRef(plain);
    EXPECT_TRUE(ks::QDRefs()->empty());
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"Error releasing QDContext: -50"});
    EXPECT_EQ(carbon::OpenContextCount(), 0);
}

TEST_F(KitTest, ThemeIdentifierAndMetricsAreAskedByName) {
    const int before = carbon::LiveStringCount();
    EXPECT_EQ(ks::CurrentVisualTheme(false).rfind("org.qt-project.style.", 0), 0u);
    EXPECT_EQ(carbon::LiveStringCount(), before);
    const struct { carbon::OSStatus status; std::string name; bool themed; } rows[] = {
        {0, carbon::kThemeNoAppearanceIdentifier, false},
        {0, "Unable to retreive Visual Style Name", false},
        {0, "org.qt-project.style.fusion", true},
        {-1, "", true},   // unreadable counts as a theme
    };
    for (const auto& row : rows) {
        ReportTheme(row.status, row.name);
        EXPECT_EQ(ks::isUsingVisualTheme(), row.themed) << row.name;
    }
    EXPECT_EQ(ks::FixedSize(9999, nullptr, "", 0), 0);
    fw::System::UnregisterLibraryFunction("Carbon", "GetThemeMetric");
    EXPECT_THROW(ks::FixedSize(19, nullptr, "", 0), fw::FunctionNotFoundException);
}

TEST_F(KitTest, CaptionsLoseTheirMnemonicsAndAreCutToFit) {
    const struct { std::string caption; int width; std::string shown; } rows[] = {
        {"A&&B", 200, "A&B"},         {"&&&", 200, "&"},       {"@\u20AC", 200, "&"},
        {"&File", 200, "File"},       {"0123456789", 64, "0123\u2026"},   // avail 60 of 120
        {"0123456789", 124, "0123456789"},                     // avail equal to the width
        {"0123456789", 4, "\u2026"},  {"", 200, ""},
    };
    for (const auto& row : rows) {
        Recorder r;
        r.g.TextFont = "DejaVu Sans Mono";
        r.g.TextSize = 20;
        ASSERT_EQ(fw::ToInt32(r.g.StringWidth("0123456789")), 120);
        r.Draw(row.caption, row.width, 0);
        ASSERT_EQ(r.calls.size(), 1u) << row.caption;
        EXPECT_EQ(r.calls[0].text, row.shown) << row.caption;
    }
}

TEST_F(KitTest, CaptionBlockFollowsTheAlignmentAndIconPlacement) {
    Recorder probe;
    const int tw = fw::ToInt32(probe.g.StringWidth("Hi"));
    const int th = probe.g.TextHeight();
    const int asc = probe.g.TextAscent();
    const auto icon = SolidPicture(10, 6, 0xFF0000);
    const int none = -1;
    const struct {
        int alignment;
        ifkIconPlacement placement;
        bool withIcon;
        ifkIconStyle iconStyle;
        int textX, baseline, iconX, iconY;
    } rows[] = {
        {4, ifkIconPlacement::Left, false, ifkIconStyle::Normal, 13, 9 + asc, none, none},
        {8, ifkIconPlacement::Left, false, ifkIconStyle::Normal, 97 - tw, 35 - th + asc, none, none},
        {9, ifkIconPlacement::Left, false, ifkIconStyle::Normal, 5, 7 + asc, none, none},
        {-1, ifkIconPlacement::Left, false, ifkIconStyle::Normal, 5, 7 + asc, none, none},
        // The icon is centred vertically on its own; the text follows the alignment.
        {4, ifkIconPlacement::Left, true, ifkIconStyle::Normal, 27, 9 + asc, 13, 19},
        // Above the text, centred between x and x + width.
        {4, ifkIconPlacement::Top, true, ifkIconStyle::Normal, 13, 19 + asc, 50, 9},
        // An unknown look keeps the icon's room but draws nothing there.
        {4, ifkIconPlacement::Left, true, static_cast<ifkIconStyle>(5), 27, 9 + asc, none, none},
    };
    for (const auto& row : rows) {
        Recorder r;
        r.Draw("Hi", 100, row.alignment, row.withIcon ? icon : nullptr, row.placement, row.iconStyle);
        ASSERT_EQ(r.calls.size(), 1u);
        EXPECT_EQ(r.calls[0].x, row.textX) << row.alignment;
        EXPECT_EQ(r.calls[0].y, row.baseline) << row.alignment;
        if (row.iconX != none) {
            EXPECT_EQ(RgbAt(r.picture, row.iconX, row.iconY), 0xFF0000u);
            EXPECT_EQ(RgbAt(r.picture, row.iconX + 9, row.iconY + 5), 0xFF0000u);
            EXPECT_EQ(RgbAt(r.picture, row.iconX, row.iconY - 1), 0xFFFFFFu);
        } else if (row.withIcon) {
            EXPECT_EQ(RgbAt(r.picture, 13, 19), 0xFFFFFFu);
        }
    }
}

TEST_F(KitTest, TextStylesDrawTheirPassesInOrder) {
    const fw::Color active = ifkColors::TextActive();
    const fw::Color disabled = ifkColors::TextDisabled();
    const fw::Color bevel = fw::LightBevelColor();
    using Pass = std::tuple<int, int, fw::Color>;   // offset x, offset y, colour
    const struct { ifkTextStyle style; ifkThemeState state; bool themed; std::vector<Pass> passes; } rows[] = {
        {ifkTextStyle::Normal, ifkThemeState::Active, true, {{0, 0, active}}},
        {ifkTextStyle::Normal, ifkThemeState::Inactive, true, {{0, 0, disabled}}},
        {ifkTextStyle::Engraved, ifkThemeState::Active, true, {{0, 1, bevel}, {0, 0, active}}},
        {ifkTextStyle::EngravedInversed, ifkThemeState::Inactive, false, {{0, 1, active}, {0, 0, 0xFFFFFF}}},
        {ifkTextStyle::Shadow, ifkThemeState::Inactive, false,
         {{0, 1, 0x404040}, {1, 1, bevel}, {0, 0, disabled}}},
    };
    for (const auto& row : rows) {
        ReportTheme(0, row.themed ? "org.qt-project.style.fusion" : carbon::kThemeNoAppearanceIdentifier);
        Recorder r;
        r.Draw("Hi", 100, 9, nullptr, ifkIconPlacement::Left, ifkIconStyle::Normal, row.style, row.state);
        std::vector<Pass> passes;
        for (const auto& c : r.calls) passes.emplace_back(c.x - 5, c.y - 7 - r.g.TextAscent(), c.color);
        EXPECT_EQ(passes, row.passes) << static_cast<int>(row.style);
        EXPECT_EQ(r.g.ForeColor, std::get<2>(row.passes.back()));
    }
    EXPECT_THROW(ks::DrawCaptionAndIcon(nullptr, "x", 0, 0, 10, 10, 0, ifkTextStyle::Normal, nullptr,
                                        ifkIconPlacement::Left, ifkIconStyle::Normal, ifkThemeState::Active),
                 fw::NilObjectException);
}

TEST_F(KitTest, IconVariantsKeepTheSourceAsItWas) {
    auto icon = SolidPicture(4, 4, 0x336699);
    fw::Graphics& sourceMask = icon->Mask(true)->GetGraphics();
    sourceMask.ForeColor = 0x123456;
    const auto disabled = ks::AsDisabledIcon(icon);
    for (auto [x, y] : {std::pair{0, 0}, std::pair{3, 3}}) {
        EXPECT_EQ(RgbAt(disabled->Mask(false), x, y), 0x808080u);
        EXPECT_EQ(RgbAt(disabled, x, y), 0x336699u);
        EXPECT_EQ(RgbAt(icon->Mask(false), x, y), 0x000000u);
        EXPECT_EQ(RgbAt(icon, x, y), 0x336699u);
    }
    EXPECT_EQ(sourceMask.ForeColor, 0x123456u);

    for (auto [from, to] : {std::pair{0xFFFFFFu, 0x7F7F7Fu}, std::pair{0x64C880u, 0x004800u}})
        EXPECT_EQ(RgbAt(ks::AsPressedIcon(SolidPicture(2, 2, from)), 1, 1), to) << std::hex << from;

    // One opaque black pixel at (3, 4): engraved, it gains a band pixel below it.
    auto dot = SolidPicture(16, 16, 0x000000);
    auto dotMask = dot->Mask(true);
    dotMask->Image().fill(Qt::white);
    dotMask->Image().setPixel(3, 4, qRgb(0, 0, 0));
    const auto engraved = ks::AsEngraved(dot);
    const auto inversed = ks::AsEngravedInversed(dot);
    ASSERT_EQ(engraved->Width(), 16);
    ASSERT_EQ(engraved->Height(), 17);
    const struct { int x, y; QRgb mask, engravedColour, inversedColour; } rows[] = {
        {3, 4, 0x000000, 0x000000, 0xFFFFFF}, {3, 5, 0x000000, 0xFFFFFF, 0x000000},
        {3, 6, 0xFFFFFF, 0xFFFFFF, 0x000000}, {4, 4, 0xFFFFFF, 0xFFFFFF, 0x000000}};
    for (const auto& row : rows) {
        EXPECT_EQ(RgbAt(engraved->Mask(false), row.x, row.y), row.mask) << row.x << "," << row.y;
        EXPECT_EQ(RgbAt(inversed->Mask(false), row.x, row.y), row.mask);
        EXPECT_EQ(RgbAt(engraved, row.x, row.y), row.engravedColour);
        EXPECT_EQ(RgbAt(inversed, row.x, row.y), row.inversedColour);
    }
}

TEST_F(KitTest, ThemeColoursComeFromThePaletteWithTheirFallbacks) {
    QPalette palette = QApplication::palette();
    const struct { QColor text, highlight; fw::Color active, selected; } rows[] = {
        {Qt::white, Qt::black, 0xFFFFFF, 0x000000}, {QColor(0x12, 0x80, 0xFE), Qt::white, 0x1280FE, 0xFFFFFF}};
    for (const auto& row : rows) {   // each call asks anew: a palette change shows at once
        palette.setColor(QPalette::Active, QPalette::ButtonText, row.text);
        palette.setColor(QPalette::Active, QPalette::Highlight, row.highlight);
        QApplication::setPalette(palette);
        EXPECT_EQ(ifkColors::TextActive(), row.active);
        EXPECT_EQ(ifkColors::IconLabelBackgroundSelected(), row.selected);
    }
    carbon::SetThemeColorsUnavailableForTests(true);
    EXPECT_EQ(ifkColors::TextActive(), 0x000000u);
    EXPECT_EQ(ifkColors::IconLabelBackgroundSelected(), 0x000000u);
    EXPECT_EQ(ifkColors::TextDisabled(), fw::DisabledTextColor());
    fw::Color kept = 0xABCDEF;
    EXPECT_FALSE(ifkColors::GetTextColor(34, kept));
    EXPECT_EQ(kept, 0xABCDEFu);
}
