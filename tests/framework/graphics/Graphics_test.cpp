#include "framework/core/Exceptions.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Picture.h"
#include "framework/graphics/SystemColors.h"

#include "tests/common/TestSupport.h"

#include <QFontInfo>
#include <QGuiApplication>

#include <functional>
#include <vector>

using namespace fw;
using namespace testsupport;

namespace {

constexpr QRgb kW = 0xFFFFFF, kR = 0xFF0000, kG = 0x00FF00, kB = 0x0000FF, kY = 0xFFFF00;

// True when the picture has a pixel darker than mid-grey inside the rectangle.
bool HasInk(const PictureRef& p, QRect area) {
    area = area.intersected(QRect(0, 0, p->Width(), p->Height()));
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(p->Image().pixel(x, y)) < 128) return true;
    return false;
}

using Probe = std::tuple<int, int, QRgb>;   // x, y, colour

} // namespace

TEST(GraphicsDrawPicture, PlacesScalesAndClipsTheSource) {
    const struct {
        const char* why;
        PictureRef target;
        std::function<void(const PictureRef&)> draw;
        std::vector<Probe> probes;
    } rows[] = {
        {"whole, at its own size", Picture::New(10, 10, 32),
         [](auto& t) { t->GetGraphics().DrawPicture(SolidPicture(3, 2, 0x123456), 4, 5); },
         {{4, 5, 0x123456}, {6, 6, 0x123456}, {7, 6, kW}, {4, 7, kW}, {3, 5, kW}}},
        {"the 4 x 4 around the centre, 1:1", Picture::New(20, 20, 32),
         [](auto& t) { t->GetGraphics().DrawPicture(QuadrantPicture(), 1, 1, 4, 4, 30, 22, 4, 4); },
         {{1, 1, kR}, {2, 2, kR}, {3, 1, kG}, {1, 3, kB}, {4, 4, kY}, {5, 5, kW}}},
        {"shrunk", Picture::New(32, 24, 32),
         [](auto& t) { t->GetGraphics().DrawPicture(QuadrantPicture(), 0, 0, 32, 24, 0, 0, 64, 48); },
         {{4, 4, kR}, {27, 4, kG}, {4, 19, kB}, {27, 19, kY}}},
        {"enlarged", Picture::New(40, 40, 32),
         [](auto& t) { t->GetGraphics().DrawPicture(QuadrantPicture(4, 4), 0, 0, 40, 40, 0, 0, 4, 4); },
         {{2, 2, kR}, {37, 2, kG}, {2, 37, kB}, {37, 37, kY}}},
        {"source wider than the picture", SolidPicture(10, 4, kG),
         [](auto& t) { t->GetGraphics().DrawPicture(SolidPicture(6, 4, kR), 0, 0, 10, 4, 0, 0, 10, 4); },
         {{5, 2, kR}, {6, 2, kG}, {9, 2, kG}}},
        {"source starting left of the picture", SolidPicture(10, 4, kG),
         [](auto& t) { t->GetGraphics().DrawPicture(SolidPicture(6, 4, kR), 0, 0, 10, 4, -2, 0, 10, 4); },
         {{1, 1, kG}, {2, 1, kR}, {7, 1, kR}, {8, 1, kG}}},
        {"into itself, reading its old pixels", QuadrantPicture(4, 2),
         [](auto& t) { t->GetGraphics().DrawPicture(t, 2, 0, 2, 2, 0, 0, 2, 2); },
         {{2, 0, kR}, {3, 0, kR}, {3, 1, kB}, {0, 1, kB}}},
    };
    for (const auto& row : rows) {
        row.draw(row.target);
        for (const auto& [x, y, rgb] : row.probes) EXPECT_EQ(RgbAt(row.target, x, y), rgb) << row.why << " at " << x << "," << y;
    }
    EXPECT_THROW(Picture::New(4, 4, 32)->GetGraphics().DrawPicture(nullptr, 0, 0), fw::NilObjectException);

    // Shrunk to a third, a checkerboard of single pixels becomes even grey, not a pattern of its samples.
    PictureRef board = Picture::New(12, 12, 32), shrunk = Picture::New(4, 4, 32);
    for (int i = 0; i < 144; ++i) board->Image().setPixel(i % 12, i / 12, (i % 12 + i / 12) % 2 ? 0xFFFFFFFF : 0xFF000000);
    shrunk->GetGraphics().DrawPicture(board, 0, 0, 4, 4, 0, 0, 12, 12);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(qGray(shrunk->Image().pixel(i % 4, i / 4)), 128, 20) << i;
}

// One colour in each sixth of the hue circle gives its hue in that sixth and comes back whole; greys have no hue.
TEST(Colours, HueSaturationAndValueRoundTripThroughTheSixSectors) {
    const QRgb rows[] = {0xFF8020, 0x90F020, 0x20F090, 0x2090F0, 0x9020F0, 0xF02090};
    for (int sector = 0; sector < 6; ++sector) {
        const fw::HSVParts parts = fw::HSVOf(rows[sector]);
        EXPECT_EQ(int(parts.hue * 6), sector) << std::hex << rows[sector];
        EXPECT_EQ(fw::HSV(parts.hue, parts.saturation, parts.value), rows[sector]) << std::hex << rows[sector];
        EXPECT_EQ(fw::HSV(parts.hue + 1, parts.saturation, parts.value), rows[sector]) << "the hue wraps";
    }
    for (QRgb grey : {0x000000u, 0x808080u, 0xFFFFFFu}) {
        const fw::HSVParts parts = fw::HSVOf(grey);
        EXPECT_EQ(std::tuple(parts.hue, parts.saturation, fw::HSV(0.3, 0, parts.value)), std::tuple(0.0, 0.0, fw::Color(grey)));
    }
}

TEST(GraphicsRectangles, FillUsesTheForeColourClearMakesWhiteAndEveryCallReportsAChange) {
    PictureRef p = Picture::New(6, 6, 32);
    Graphics& g = p->GetGraphics();
    int changes = 0;
    g.SetChangedCallback([&] { ++changes; });
    EXPECT_EQ(g.ForeColor, 0x000000u);
    g.ForeColor = 0xB60000;
    g.FillRect(1, 1, 3, 3);
    g.ClearRect(2, 2, 10, 10);
    for (auto [x, y, rgb] : {std::tuple{1, 1, 0xB60000u}, {3, 1, 0xB60000u}, {2, 2, kW}, {4, 1, kW}}) EXPECT_EQ(RgbAt(p, x, y), rgb) << x << "," << y;
    g.DrawPicture(SolidPicture(2, 2, 0), 0, 0);
    g.DrawString("x", 2, 12);
    EXPECT_EQ(changes, 4);
}

TEST(GraphicsText, FontNamesResolveToAnInstalledFamily) {
    const std::pair<const char*, QString> rows[] = {
        {"Monaco", "DejaVu Sans Mono"}, {"Papyrus", "DejaVu Serif"}, {"DejaVu Serif", "DejaVu Serif"},
        {"dejavu sans mono", "DejaVu Sans Mono"}, {"No Such Typeface 123", QGuiApplication::font().family()},
        {"", QGuiApplication::font().family()}, {"System", QGuiApplication::font().family()}};
    for (const auto& [name, family] : rows) {
        PictureRef p = Picture::New(10, 10, 32);
        p->GetGraphics().TextFont = name;
        EXPECT_EQ(QFontInfo(p->GetGraphics().CurrentFont()).family(), family) << name;
        EXPECT_TRUE(!*name || Graphics::ResolveFontFamily(name) == family) << name;
    }
}

// Every prefix of a long name typed into the typeface box is looked up once; the
// look-up keeps only the latest names, and a name it let go resolves as before.
TEST(GraphicsText, FontNameLookUpKeepsABoundedNumberOfNames) {
    const QString fallback = QGuiApplication::font().family();
    ASSERT_EQ(Graphics::ResolveFontFamily("Monaco"), "DejaVu Sans Mono");
    const std::string typed(3 * Graphics::kKeptFontFamilies, 'q');
    for (size_t n = 1; n <= typed.size(); ++n) {
        ASSERT_EQ(Graphics::ResolveFontFamily(typed.substr(0, n)), fallback) << n;
        ASSERT_LE(Graphics::KeptFontFamilies(), Graphics::kKeptFontFamilies) << n;
    }
    EXPECT_EQ(Graphics::KeptFontFamilies(), Graphics::kKeptFontFamilies);
    // Let go long ago, asked again; then names still kept, each moving to the front.
    const std::pair<std::string, QString> rows[] = {
        {"Monaco", "DejaVu Sans Mono"}, {"Papyrus", "DejaVu Serif"}, {typed.substr(0, 1), fallback},
        {typed, fallback}, {"dejavu sans mono", "DejaVu Sans Mono"}, {"Monaco", "DejaVu Sans Mono"},
        {"Papyrus", "DejaVu Serif"}};
    for (const auto& [name, family] : rows) EXPECT_EQ(Graphics::ResolveFontFamily(name), family) << name.size();
    EXPECT_EQ(Graphics::KeptFontFamilies(), Graphics::kKeptFontFamilies);
}

// Ink must show inside `inked` (the second line, where there is one) and never inside a `blank`: for "HH" none
// above the capitals, below the baseline they stop at, or left of x.
TEST(GraphicsText, StringsSitOnTheirBaselineInTheForeColourAndWrapWithinTheWidth) {
    const std::string words = "one two three four five six seven";
    const PictureRef probePicture = Picture::New(1, 1, 32);
    Graphics& probe = probePicture->GetGraphics();
    const int height = probe.TextHeight(), below = height - probe.TextAscent();
    probe.TextSize = 20;
    const int top = 22 - probe.TextAscent();   // of the 20-pixel capitals on baseline 22
    const struct { std::string text; int size, x, y, wrap; QRect inked; std::vector<QRect> blank; } rows[] = {
        {"HH", 20, 5, 22, 0, QRect(5, top, 40, 22 - top),
         {QRect(0, 0, 300, top - 1), QRect(0, 23, 300, 97), QRect(0, 0, 4, 120)}},
        {"HH", 20, 5, 22, 80, QRect(5, top, 40, 22 - top),   // laid out for wrapping, on the same baseline
         {QRect(0, 0, 300, top - 1), QRect(0, 23, 300, 97), QRect(0, 0, 4, 120)}},
        {words, 12, 10, 20, 80, QRect(10, 20 + below, 80, height), {QRect(92, 0, 208, 120)}},
        {words, 24, 10, 30, 80, QRect(10, 13, 80, 6), {QRect(92, 0, 208, 120)}},   // the same words, laid out anew
        {words, 12, 10, 20, 0, QRect(100, 0, 200, 30), {QRect(0, 26, 300, 94)}},   // no width: one line
        {"Abcdefghijklmnopqrstuvwxyz", 12, 0, 15, 60, QRect(0, 20, 60, 30), {QRect(62, 0, 238, 100)}},
    };
    for (const auto& row : rows) {
        PictureRef p = Picture::New(300, 120, 32);
        Graphics& g = p->GetGraphics();
        g.ForeColor = kB, g.TextSize = row.size;
        g.DrawString(row.text, row.x, row.y, row.wrap);
        EXPECT_TRUE(HasInk(p, row.inked)) << row.text << " in " << row.wrap;
        for (QRect blank : row.blank)
            EXPECT_FALSE(HasInk(p, blank)) << row.text << " in " << row.wrap << " at " << blank.y();
        bool blue = false;
        for (int y = 0; y < 120; ++y) for (int x = 0; x < 300; ++x) blue = blue || RgbAt(p, x, y) == kB;
        EXPECT_TRUE(blue) << row.text;
    }
}

// A caption of the field's longest length without spaces is broken only as far as
// the picture reaches, and what shows is what the whole text laid out shows: the
// same text cut short, drawn on a picture tall enough for all its lines, has the
// same top rows.
TEST(GraphicsText, LinesBelowThePictureAreNotLaidOutAndTheVisibleOnesDrawAsBefore) {
    std::string words;
    while (words.size() < 32767) words += "postcard from the sea ";
    std::string rows3;
    while (rows3.size() < 32767) rows3 += "ab\r";
    std::string marked;   // capitals under three stacked marks, which reach far above their line
    while (marked.size() < 32767) marked += "H\xcc\x8a\xcc\x81\xcc\x82\r";
    const struct { std::string text; int size, y, wrap; } rows[] = {
        {std::string(32767, 'a'), 24, 120, 180},                 // the card's caption
        {words.substr(0, 32767), 24, 120, 180},
        {std::string(32767, 'W'), 20, 305, 180},                 // the bottom cuts the second line
        {rows3.substr(0, 32767), 12, 20, 0},                     // no width, but many lines
        {std::string(32767, 'm'), 18, -200, 120},                // lines above the top too
        {std::string(32767, 'i'), 24, 340, 180},                 // starts below the bottom
        {marked.substr(0, 32767), 20, 100, 0},                   // a line just below the bottom reaches into it
    };
    constexpr int kCardW = 640, kCardH = 316, kTallH = 2400;
    constexpr size_t kShortened = 1500;   // a few hundred pixels of lines past the card's bottom
    for (const auto& row : rows) {
        PictureRef card = Picture::New(kCardW, kCardH, 24), tall = Picture::New(kCardW, kTallH, 24),
                   again = Picture::New(kCardW, kCardH, 24);
        for (const PictureRef& p : {card, tall, again}) p->GetGraphics().TextSize = row.size;
        const int ascent = card->GetGraphics().TextAscent(), height = card->GetGraphics().TextHeight();
        card->GetGraphics().DrawString(row.text, 440 - 400 * (row.wrap == 0), row.y, row.wrap);
        // Every line that reaches into the picture, and at most two more.
        const int reaching = std::max(0, (kCardH - (row.y - ascent) + height - 1) / height);
        EXPECT_GE(Graphics::LinesLaidOut(), reaching) << row.text.substr(0, 8) << " at " << row.y;
        EXPECT_LE(Graphics::LinesLaidOut(), reaching + 2) << row.text.substr(0, 8) << " at " << row.y;

        // Drawn short first, the text still shows all its lines in the tall picture.
        for (const PictureRef& p : {again, tall})
            p->GetGraphics().DrawString(row.text.substr(0, kShortened), 440 - 400 * (row.wrap == 0), row.y, row.wrap);
        EXPECT_TRUE(HasInk(tall, QRect(0, kCardH + 2 * height, kCardW, 2 * height))) << row.text.substr(0, 8) << " at " << row.y;
        ASSERT_GT(Graphics::LinesLaidOut(), reaching + 4) << "the shortened text must reach past the card";
        EXPECT_TRUE(card->Image().convertToFormat(QImage::Format_RGB32) ==
                    tall->Image().copy(0, 0, kCardW, kCardH).convertToFormat(QImage::Format_RGB32))
            << "other pixels for " << row.text.substr(0, 8) << " at " << row.y;
    }
}
