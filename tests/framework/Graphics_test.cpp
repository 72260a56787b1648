#include "framework/Exceptions.h"
#include "framework/Graphics.h"
#include "framework/Picture.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>

#include <vector>

using fw::Graphics;
using fw::Picture;
using fw::PictureRef;

using testsupport::SolidPicture;

namespace {

QRgb Pixel(const PictureRef& p, int x, int y) { return p->Image().pixel(x, y) & 0xFFFFFF; }


// 64 x 48 in four quadrants: red, lime / blue, yellow.
PictureRef Quadrants(int w = 64, int h = 48) {
    PictureRef p = Picture::New(w, h, 32);
    Graphics& g = p->GetGraphics();
    const int hw = w / 2, hh = h / 2;
    g.ForeColor = 0xFF0000; g.FillRect(0, 0, hw, hh);
    g.ForeColor = 0x00FF00; g.FillRect(hw, 0, w - hw, hh);
    g.ForeColor = 0x0000FF; g.FillRect(0, hh, hw, h - hh);
    g.ForeColor = 0xFFFF00; g.FillRect(hw, hh, w - hw, h - hh);
    return p;
}

// True when the picture has a pixel darker than mid-grey inside the rectangle.
bool HasInk(const PictureRef& p, QRect area) {
    area = area.intersected(QRect(0, 0, p->Width(), p->Height()));
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(p->Image().pixel(x, y)) < 128) return true;
    return false;
}

class CountingSource : public fw::PictureSource {
public:
    explicit CountingSource(int* fullDecodes) : full_(fullDecodes) {}
    QImage Decode(QSize atLeast) override {
        QSize size(400, 200);
        if (atLeast.width() <= 100 && atLeast.height() <= 50) size = QSize(100, 50);
        else ++*full_;
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(0, 0x80, 0));
        return image;
    }

private:
    int* full_;
};

} // namespace

// --- pictures

TEST(GraphicsDrawPicture, WholePictureLandsAtItsOwnSize) {
    PictureRef target = Picture::New(10, 10, 32);
    target->GetGraphics().DrawPicture(SolidPicture(3, 2, 0x123456), 4, 5);
    EXPECT_EQ(Pixel(target, 4, 5), 0x123456u);
    EXPECT_EQ(Pixel(target, 6, 6), 0x123456u);
    EXPECT_EQ(Pixel(target, 7, 6), 0xFFFFFFu);
    EXPECT_EQ(Pixel(target, 4, 7), 0xFFFFFFu);
    EXPECT_EQ(Pixel(target, 3, 5), 0xFFFFFFu);
}

TEST(GraphicsDrawPicture, NilPictureRaises) {
    PictureRef target = Picture::New(4, 4, 32);
    EXPECT_THROW(target->GetGraphics().DrawPicture(nullptr, 0, 0), fw::NilObjectException);
}

TEST(GraphicsDrawPicture, MaskedPictureShowsOnlyWhereTheMaskIsDark) {
    PictureRef target = SolidPicture(4, 1, 0x00FF00);
    PictureRef source = SolidPicture(4, 1, 0xFF0000);
    PictureRef mask = source->Mask(true);
    mask->Image().setPixel(0, 0, qRgb(0, 0, 0));
    mask->Image().setPixel(1, 0, qRgb(255, 255, 255));
    mask->Image().setPixel(2, 0, qRgb(128, 128, 128));
    mask->Image().setPixel(3, 0, qRgb(255, 255, 255));
    target->GetGraphics().DrawPicture(source, 0, 0);
    EXPECT_EQ(Pixel(target, 0, 0), 0xFF0000u);
    EXPECT_EQ(Pixel(target, 1, 0), 0x00FF00u);
    EXPECT_EQ(Pixel(target, 3, 0), 0x00FF00u);
    // Half way: about half of each.
    const QRgb mixed = target->Image().pixel(2, 0);
    EXPECT_NEAR(qRed(mixed), 127, 2);
    EXPECT_NEAR(qGreen(mixed), 128, 2);
}

TEST(GraphicsDrawPicture, ChangedMaskShowsInTheNextDraw) {
    PictureRef source = SolidPicture(2, 1, 0x0000FF);
    PictureRef mask = source->Mask(true);
    PictureRef first = Picture::New(2, 1, 32);
    first->GetGraphics().DrawPicture(source, 0, 0);
    EXPECT_EQ(Pixel(first, 1, 0), 0x0000FFu);

    mask->GetGraphics().ClearRect(1, 0, 1, 1);
    PictureRef second = Picture::New(2, 1, 32);
    second->GetGraphics().DrawPicture(source, 0, 0);
    EXPECT_EQ(Pixel(second, 0, 0), 0x0000FFu);
    EXPECT_EQ(Pixel(second, 1, 0), 0xFFFFFFu);
}

TEST(GraphicsDrawPicture, SourceRectangleIsCopiedOneToOne) {
    PictureRef target = Picture::New(20, 20, 32);
    // The 4 x 4 square around the centre of the quadrants: one 2 x 2 block of each colour.
    target->GetGraphics().DrawPicture(Quadrants(), 1, 1, 4, 4, 30, 22, 4, 4);
    EXPECT_EQ(Pixel(target, 1, 1), 0xFF0000u);
    EXPECT_EQ(Pixel(target, 2, 2), 0xFF0000u);
    EXPECT_EQ(Pixel(target, 3, 1), 0x00FF00u);
    EXPECT_EQ(Pixel(target, 1, 3), 0x0000FFu);
    EXPECT_EQ(Pixel(target, 4, 4), 0xFFFF00u);
    EXPECT_EQ(Pixel(target, 5, 5), 0xFFFFFFu);
}

TEST(GraphicsDrawPicture, ShrinkingKeepsEachQuadrantInPlace) {
    PictureRef target = Picture::New(32, 24, 32);
    target->GetGraphics().DrawPicture(Quadrants(), 0, 0, 32, 24, 0, 0, 64, 48);
    EXPECT_EQ(Pixel(target, 4, 4), 0xFF0000u);
    EXPECT_EQ(Pixel(target, 27, 4), 0x00FF00u);
    EXPECT_EQ(Pixel(target, 4, 19), 0x0000FFu);
    EXPECT_EQ(Pixel(target, 27, 19), 0xFFFF00u);
}

TEST(GraphicsDrawPicture, EnlargingFillsTheWholeDestination) {
    PictureRef target = Picture::New(40, 40, 32);
    target->GetGraphics().DrawPicture(Quadrants(4, 4), 0, 0, 40, 40, 0, 0, 4, 4);
    EXPECT_EQ(Pixel(target, 2, 2), 0xFF0000u);
    EXPECT_EQ(Pixel(target, 37, 2), 0x00FF00u);
    EXPECT_EQ(Pixel(target, 2, 37), 0x0000FFu);
    EXPECT_EQ(Pixel(target, 37, 37), 0xFFFF00u);
}

TEST(GraphicsDrawPicture, SourceBeyondThePictureLeavesTheDestinationAlone) {
    PictureRef target = SolidPicture(10, 4, 0x00FF00);
    // A 10-column window on a 6-column picture, 1:1: four columns have no source.
    target->GetGraphics().DrawPicture(SolidPicture(6, 4, 0xFF0000), 0, 0, 10, 4, 0, 0, 10, 4);
    EXPECT_EQ(Pixel(target, 5, 2), 0xFF0000u);
    EXPECT_EQ(Pixel(target, 6, 2), 0x00FF00u);
    EXPECT_EQ(Pixel(target, 9, 2), 0x00FF00u);

    PictureRef shifted = SolidPicture(10, 4, 0x00FF00);
    shifted->GetGraphics().DrawPicture(SolidPicture(6, 4, 0xFF0000), 0, 0, 10, 4, -2, 0, 10, 4);
    EXPECT_EQ(Pixel(shifted, 1, 1), 0x00FF00u);
    EXPECT_EQ(Pixel(shifted, 2, 1), 0xFF0000u);
    EXPECT_EQ(Pixel(shifted, 7, 1), 0xFF0000u);
    EXPECT_EQ(Pixel(shifted, 8, 1), 0x00FF00u);
}

TEST(GraphicsDrawPicture, PictureDrawnIntoItselfReadsItsOldPixels) {
    PictureRef p = Quadrants(4, 2);
    p->GetGraphics().DrawPicture(p, 2, 0, 2, 2, 0, 0, 2, 2);
    EXPECT_EQ(Pixel(p, 2, 0), 0xFF0000u);
    EXPECT_EQ(Pixel(p, 3, 0), 0xFF0000u);
    EXPECT_EQ(Pixel(p, 3, 1), 0x0000FFu);
    EXPECT_EQ(Pixel(p, 0, 1), 0x0000FFu);
}

TEST(GraphicsDrawPicture, ScaledDownDrawOfALazyPictureAvoidsTheFullDecode) {
    int fullDecodes = 0;
    auto lazy = std::make_shared<Picture>(400, 200, std::make_unique<CountingSource>(&fullDecodes),
                                          QImage());
    PictureRef target = Picture::New(100, 50, 32);
    target->GetGraphics().DrawPicture(lazy, 0, 0, 100, 50, 0, 0, 400, 200);
    EXPECT_EQ(fullDecodes, 0);
    EXPECT_FALSE(lazy->IsFullyDecoded());
    EXPECT_EQ(Pixel(target, 50, 25), 0x008000u);
    EXPECT_EQ(Pixel(target, 99, 49), 0x008000u);

    // Drawn at its own size it needs every pixel.
    PictureRef big = Picture::New(400, 200, 32);
    big->GetGraphics().DrawPicture(lazy, 0, 0);
    EXPECT_EQ(fullDecodes, 1);
    EXPECT_TRUE(lazy->IsFullyDecoded());
}

// --- rectangles

TEST(GraphicsRectangles, FillUsesTheForeColourAndClearMakesWhite) {
    PictureRef p = Picture::New(6, 6, 32);
    Graphics& g = p->GetGraphics();
    EXPECT_EQ(g.ForeColor, 0x000000u);
    g.ForeColor = 0xB60000;
    g.FillRect(1, 1, 3, 3);
    EXPECT_EQ(Pixel(p, 1, 1), 0xB60000u);
    EXPECT_EQ(Pixel(p, 3, 3), 0xB60000u);
    EXPECT_EQ(Pixel(p, 4, 4), 0xFFFFFFu);
    g.ClearRect(2, 2, 10, 10);
    EXPECT_EQ(Pixel(p, 1, 1), 0xB60000u);
    EXPECT_EQ(Pixel(p, 2, 2), 0xFFFFFFu);
    EXPECT_EQ(g.Width(), 6);
    EXPECT_EQ(g.Height(), 6);
}

TEST(GraphicsRectangles, EveryDrawingCallReportsAChange) {
    PictureRef p = Picture::New(20, 20, 32);
    int changes = 0;
    p->GetGraphics().SetChangedCallback([&] { ++changes; });
    p->GetGraphics().FillRect(0, 0, 1, 1);
    p->GetGraphics().ClearRect(0, 0, 1, 1);
    p->GetGraphics().DrawPicture(SolidPicture(2, 2, 0), 0, 0);
    p->GetGraphics().DrawString("x", 2, 12);
    EXPECT_EQ(changes, 4);
}

// --- text

TEST(GraphicsText, SizesArePixelsAndZeroIsTwelve) {
    PictureRef p = Picture::New(10, 10, 32);
    Graphics& g = p->GetGraphics();
    g.TextSize = 0;
    const double zero = g.StringWidth("Stamped mail");
    EXPECT_EQ(g.CurrentFont().pixelSize(), 12);
    g.TextSize = 12;
    EXPECT_DOUBLE_EQ(g.StringWidth("Stamped mail"), zero);
    g.TextSize = 24.7;   // pixel sizes, truncated like every double made integer
    EXPECT_EQ(g.CurrentFont().pixelSize(), 24);
    const double regular = g.StringWidth("Stamped mail");
    EXPECT_GT(regular, 1.8 * zero);
    EXPECT_GT(g.TextHeight(), g.TextAscent());
    g.Bold = true;
    EXPECT_GT(g.StringWidth("Stamped mail"), regular);
}

TEST(GraphicsText, SystemIsTheApplicationFont) {
    PictureRef p = Picture::New(10, 10, 32);
    Graphics& g = p->GetGraphics();
    EXPECT_EQ(g.TextFont, "System");
    EXPECT_EQ(g.CurrentFont().family(), QGuiApplication::font().family());
}

struct FontCase {
    const char* name;
    const char* family;
};

class GraphicsFontNames : public ::testing::TestWithParam<FontCase> {};

TEST_P(GraphicsFontNames, ResolveToAnInstalledFamily) {
    const FontCase c = GetParam();
    const QString expected =
        std::string(c.family) == "app" ? QGuiApplication::font().family() : QString(c.family);
    EXPECT_EQ(Graphics::ResolveFontFamily(c.name), expected);
    PictureRef p = Picture::New(10, 10, 32);
    p->GetGraphics().TextFont = c.name;
    EXPECT_EQ(QFontInfo(p->GetGraphics().CurrentFont()).family(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, GraphicsFontNames,
    ::testing::Values(FontCase{"Monaco", "DejaVu Sans Mono"}, FontCase{"Papyrus", "DejaVu Serif"},
                      FontCase{"DejaVu Serif", "DejaVu Serif"},
                      FontCase{"dejavu sans mono", "DejaVu Sans Mono"},
                      FontCase{"No Such Typeface 123", "app"}, FontCase{"", "app"}));

TEST(GraphicsText, MonacoKeepsEveryCharacterTheSameWidth) {
    PictureRef p = Picture::New(10, 10, 32);
    Graphics& g = p->GetGraphics();
    g.TextFont = "Monaco";
    g.Bold = true;
    EXPECT_DOUBLE_EQ(g.StringWidth("iiii"), g.StringWidth("WWWW"));
}

TEST(GraphicsText, StringIsDrawnOnItsBaselineInTheForeColour) {
    PictureRef p = Picture::New(60, 30, 32);
    Graphics& g = p->GetGraphics();
    g.ForeColor = 0x0000FF;
    g.TextSize = 20;
    g.DrawString("HH", 5, 22);
    const int ascent = g.TextAscent();
    EXPECT_TRUE(HasInk(p, QRect(5, 22 - ascent, 40, ascent)));
    EXPECT_FALSE(HasInk(p, QRect(0, 0, 60, 22 - ascent - 1)));
    EXPECT_FALSE(HasInk(p, QRect(0, 23, 60, 7)));   // capitals stop at the baseline
    EXPECT_FALSE(HasInk(p, QRect(0, 0, 4, 30)));
    bool blue = false;
    for (int y = 0; y < 30 && !blue; ++y)
        for (int x = 0; x < 60 && !blue; ++x)
            blue = (p->Image().pixel(x, y) & 0xFFFFFF) == 0x0000FF;
    EXPECT_TRUE(blue);
}

TEST(GraphicsText, WrapBreaksLinesWithinTheWidth) {
    const std::string text = "one two three four five six seven";
    PictureRef wrapped = Picture::New(300, 120, 32);
    Graphics& g = wrapped->GetGraphics();
    g.DrawString(text, 10, 20, 80);
    EXPECT_FALSE(HasInk(wrapped, QRect(92, 0, 208, 120)));
    EXPECT_TRUE(HasInk(wrapped, QRect(10, 20 + g.TextHeight() - g.TextAscent(), 80, g.TextHeight())));

    PictureRef single = Picture::New(300, 120, 32);
    single->GetGraphics().DrawString(text, 10, 20);
    EXPECT_TRUE(HasInk(single, QRect(100, 0, 200, 30)));
    EXPECT_FALSE(HasInk(single, QRect(0, 26, 300, 94)));
}

TEST(GraphicsText, WordWiderThanTheWrapIsBrokenInside) {
    PictureRef p = Picture::New(300, 100, 32);
    p->GetGraphics().DrawString("Abcdefghijklmnopqrstuvwxyz", 0, 15, 60);
    EXPECT_FALSE(HasInk(p, QRect(62, 0, 238, 100)));
    EXPECT_TRUE(HasInk(p, QRect(0, 20, 60, 30)));
}

