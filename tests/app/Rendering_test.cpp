#include "tests/app/StamporaFixture.h"

#include "app/SharedPictureEffects.h"
#include "framework/core/Exceptions.h"
#include "framework/graphics/Graphics.h"

#include <fstream>

namespace {

bool IsRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }
bool IsWhite(QRgb c) { return (c & 0xFFFFFF) == 0xFFFFFF; }
bool IsInk(QRgb c) { return qRed(c) > 120 && qRed(c) > 2 * qGreen(c) && qRed(c) > 2 * qBlue(c); }

int CountInk(const QImage& card, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) count += IsInk(card.pixel(x, y));
    return count;
}

} // namespace

TEST_F(StamporaTest, PhotoIsStoredCoveringThePhotoAreaAndCentred) {
    struct Row { int w, h, storedW, storedH; double offsetX, offsetY; };
    const Row rows[] = {{1000, 200, 1580, 316, 580, 0}, {3000, 2000, 474, 316, 27, 0}, {420, 316, 420, 316, 0, 0},
                        {1, 1, 420, 420, 0, 52},
                        // Sizes where (316 / h) x h falls just short of 316.
                        {1600, 1200, 421, 316, 0.5, 0}, {800, 600, 421, 316, 0.5, 0}, {1920, 1200, 505, 316, 42.5, 0},
                        {100, 100, 420, 420, 0, 52}};
    for (const Row& row : rows) {
        window->AddImage(SolidPicture(row.w, row.h, qRgb(255, 0, 0)));
        ASSERT_TRUE(window->thePicture);
        EXPECT_EQ(QSize(window->thePicture->Width(), window->thePicture->Height()), QSize(row.storedW, row.storedH));
        EXPECT_DOUBLE_EQ(window->imageOffset->Left(), row.offsetX) << row.w << "x" << row.h;
        EXPECT_DOUBLE_EQ(window->imageOffset->Right(), row.offsetY) << row.w << "x" << row.h;
    }
    // Clearing the photo shows the placeholder and keeps the offset.
    window->AddImage(Stampora::ImageSource{});
    EXPECT_FALSE(window->thePicture);
    EXPECT_DOUBLE_EQ(window->imageOffset->Right(), 52);
}

TEST_F(StamporaTest, FitModeDrawsTheWholePhotoCentred) {
    // 100 x 100 is drawn 316 x 316 at (52, 0); 3000 x 2000 is drawn 420 x 280 at (0, 18).
    // 1000 x 200, stored 1580 x 316, fills the whole width, to x 419.
    for (const auto& [w, h, r] : {std::tuple{100, 100, QRect(52, 0, 316, 316)}, std::tuple{3000, 2000, QRect(0, 18, 420, 280)},
                                  std::tuple{1000, 200, QRect(0, 116, 420, 83)}}) {
        window->AddImage(SolidPicture(w, h, qRgb(255, 0, 0)));
        window->ScaleToFit = true;
        const QImage card = Card();
        window->ScaleToFit = false;
        // Inside, on each edge; outside, one pixel beyond (away from the post mark,
        // which may reach into the photo area at the top right).
        const int cx = r.center().x(), cy = r.center().y();
        for (QPoint p : {QPoint(r.left(), cy), QPoint(r.right(), cy), QPoint(cx, r.top()), QPoint(cx, r.bottom())})
            EXPECT_TRUE(IsRed(card.pixel(p))) << w << ": " << p.x() << "," << p.y();
        for (QPoint p : {QPoint(r.left() - 1, cy), QPoint(r.right() + 1, cy), QPoint(cx, r.top() - 1), QPoint(cx, r.bottom() + 1)})
            EXPECT_TRUE(!QRect(0, 0, 420, 316).contains(p) || IsWhite(card.pixel(p))) << w << ": " << p.x() << "," << p.y();
    }
}

TEST_F(StamporaTest, EmptyCardShowsThePlaceholderAndItsPrompt) {
    auto placeholder = unfsImage();
    ASSERT_TRUE(placeholder);
    const QImage card = window->Generate()->Image();
    const QImage& p = placeholder->Image();
    // Drawn at its own size at (82, 30): compare corners and a point of its icon.
    for (QPoint at : {QPoint(0, 0), QPoint(255, 255), QPoint(3, 128), QPoint(128, 60), QPoint(100, 90)})
        EXPECT_EQ(card.pixel(82 + at.x(), 30 + at.y()), p.pixel(at)) << at.x() << "," << at.y();
    EXPECT_TRUE(IsWhite(card.pixel(60, 150)));
    // "Drop Photo Here" in light grey across the middle row band.
    int prompt = 0;
    for (int y = 140; y < 180; ++y)
        for (int x = 82; x < 338; ++x) prompt += (card.pixel(x, y) & 0xFFFFFF) == 0xDFDFDF;
    EXPECT_GT(prompt, 100);
}

TEST_F(StamporaTest, StampIsItsPhotosMiddleTurnedOnWhiteTenPixelsFromTheTopRight) {
    auto before = window->Stamp;
    window->MakePostageStamp(nullptr);
    EXPECT_EQ(window->Stamp, before);
    // Blue bands at both ends of a 200 x 100 picture, green in the middle 100 pixels:
    // scaled to 160 x 80 and drawn at (-40, 0), only green shows in the square.
    auto photo = fw::Picture::New(200, 100, 24);
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 100; ++y) photo->Image().setPixel(x, y, x < 50 || x >= 150 ? qRgb(0, 0, 255) : qRgb(0, 200, 0));
    window->MakePostageStamp(photo);
    const QImage& stamp = window->Stamp->Image();
    const int sw = stamp.width(), sh = stamp.height(), left = 640 - (sw + 10);
    for (int dx : {-28, -20, 0, 20, 28}) {
        const QRgb c = stamp.pixel(sw / 2 + dx, sh / 2);
        EXPECT_GT(qGreen(c), qBlue(c) + 80) << dx;
    }
    window->PostMarkApply = false;
    const QImage card = window->Generate()->Image();
    // Turned on white: its bounding box's corners are white, its middle is the photo.
    EXPECT_TRUE(IsWhite(card.pixel(left, 10)) && IsWhite(card.pixel(left + sw - 1, 10 + sh - 1)));
    EXPECT_EQ(card.pixel(left + sw / 2, 10 + sh / 2), stamp.pixel(sw / 2, sh / 2));
    EXPECT_FALSE(IsWhite(card.pixel(left + sw / 2, 10 + sh / 2)));
}

TEST_F(StamporaTest, CaptionSizeIsTheWholeNumberOfItsText) {
    auto render = [&](const char* size) {
        static_cast<QComboBox*>(window->textSizeField()->Widget())->setEditText(size);
        return window->Generate()->Image();
    };
    EXPECT_EQ(render("24.7"), render("24"));
    // Not a number: the default size.
    EXPECT_EQ(render("abc"), render("12"));
    EXPECT_NE(render("24"), render("12"));
}

TEST_F(StamporaTest, CaptionIsDrawnInItsColourAndWrapsRightOfThePhotoArea) {
    window->textField()->SetText("The quick brown fox jumps over the lazy dog and keeps on running far away");
    window->ifkColorWell1()->SetcolorValue(0x0000FF);
    const QImage card = window->Generate()->Image();
    int firstLine = 0, below = 0;
    for (int y = 90; y < 316; ++y)
        for (int x = 420; x < 640; ++x) {
            const QRgb c = card.pixel(x, y);
            if (qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60) {
                ++(y < 130 ? firstLine : below);
                // A later line's descender may lean a little left of the margin.
                EXPECT_TRUE(x >= (y < 130 ? 440 : 430) && x < 622) << "beyond the caption's margins at " << x << "," << y;
            }
        }
    EXPECT_GT(firstLine, 20);
    EXPECT_GT(below, 0);   // a second line exists
}

TEST_F(StamporaTest, PostMarkInksOnlyWhereItsMaskLetsItThrough) {
    ASSERT_TRUE(window->PostMark && window->PostMark->HasMask());
    const int pw = window->PostMark->Width();
    const int ph = window->PostMark->Height();
    const QRect box(640 - (pw + 50), 10, pw, ph);
    window->PostMarkApply = false;
    const QImage off = window->Generate()->Image();
    window->PostMarkApply = true;
    const QImage on = window->Generate()->Image();
    EXPECT_EQ(CountInk(off, box), 0);
    EXPECT_GT(CountInk(on, box), 150);
    // The post mark is dark red everywhere; its corners are transparent, so the
    // card beneath shows there.
    EXPECT_EQ(on.pixel(box.left(), box.top()), off.pixel(box.left(), box.top()));
    EXPECT_EQ(on.pixel(box.left(), box.bottom()), off.pixel(box.left(), box.bottom()));
    EXPECT_EQ(window->PostMark->Image().pixel(pw / 2, ph / 2) & 0xFFFFFF, 0xB60000u);
    // Off the text the mask is light: most of the box is not inked.
    EXPECT_LT(CountInk(on, box), pw * ph / 3);
}

// --- the shared rotation effect

TEST(SharedPictureEffects, RotationFillsTheCornersWithTheBackgroundOrTurnsTheMaskAlongLeavingTheSource) {
    const auto pixels = [](const fw::PictureRef& p, std::vector<QPoint> at) {
        std::vector<QRgb> out;
        for (QPoint q : at) out.push_back(RgbAt(p, q.x(), q.y()));
        return out;
    };
    fw::PictureRef plain = SharedPictureEffects::Rotate(SolidPicture(80, 80, 0x0000FF), 4, 0xFFFFFF, effects::RotationMethod::Smooth);
    EXPECT_FALSE(plain->HasMask());
    const int pw = plain->Width(), ph = plain->Height();
    EXPECT_EQ(pixels(plain, {{0, 0}, {pw - 1, ph - 1}, {pw / 2, ph / 2}}), std::vector<QRgb>({0xFFFFFF, 0xFFFFFF, 0x0000FF}));

    fw::PictureRef source = SolidPicture(200, 45, 0xB60000);
    fw::PictureRef mask = source->Mask(true);
    mask->GetGraphics().ClearRect(100, 0, 100, 45);   // opaque only in the left half
    const QImage before = source->Image().copy(), maskBefore = mask->Image().copy();
    fw::PictureRef turned = SharedPictureEffects::Rotate(source, -8, 0x00FF00, effects::RotationMethod::Smooth);
    EXPECT_TRUE(source->Image() == before && source->Mask(false) == mask && mask->Image() == maskBefore);
    ASSERT_TRUE(turned->HasMask());
    fw::PictureRef turnedMask = turned->Mask(false);
    const int w = turned->Width(), h = turned->Height();
    EXPECT_EQ(QSize(turnedMask->Width(), turnedMask->Height()), QSize(w, h));
    // Outside the turned source and in its clear right half the mask is white (transparent),
    // so drawn over green the green shows there.
    const std::vector<QPoint> at = {{0, 0}, {w - 1, h - 1}, {w / 4, h / 2}, {3 * w / 4, h / 2}};
    EXPECT_EQ(pixels(turnedMask, at), std::vector<QRgb>({0xFFFFFF, 0xFFFFFF, 0x000000, 0xFFFFFF}));
    fw::PictureRef card = SolidPicture(w, h, 0x00FF00);
    card->GetGraphics().DrawPicture(turned, 0, 0);
    EXPECT_EQ(pixels(card, at), std::vector<QRgb>({0x00FF00, 0x00FF00, 0xB60000, 0x00FF00}));
}

// --- the project's pictures

namespace {

// A bundle of our own: Stampora/bin/stampora and Stampora/Resources beside bin.
class ProjectPicturesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProjectPicturesForTests();
        fs::create_directories(dir_.File("Stampora/bin"));
        fs::create_directories(Resources());
        fw::SetExecutableFileForTests(dir_.File("Stampora/bin/stampora"));
    }
    void TearDown() override {
        fw::SetExecutableFileForTests("");
        ResetProjectPicturesForTests();
    }

    std::string Resources() const { return dir_.File("Stampora/Resources"); }
    void Provide(const std::string& name) const {
        fs::copy_file(std::string(STAMPORA_RESOURCES) + "/" + name, Resources() + "/" + name,
                      fs::copy_options::overwrite_existing);
    }
    void Remove(const std::string& name) const { fs::remove(Resources() + "/" + name); }

    testsupport::ScratchDir dir_;
};

} // namespace

TEST_F(ProjectPicturesTest, PicturesComeFromBesideTheBinFolderAreKeptAndMissingOnesAreTriedAgain) {
    // Not beside bin, and not a picture there: missing.
    fs::create_directories(dir_.File("Stampora/bin/Resources"));
    fs::copy_file(std::string(STAMPORA_RESOURCES) + "/unfsImage.jpg", dir_.File("Stampora/bin/Resources/unfsImage.jpg"));
    std::ofstream(Resources() + "/unfsImage.jpg") << "not a picture";
    EXPECT_EQ(unfsImage(), nullptr);
    EXPECT_EQ(DefaultStampImage(), nullptr);
    Provide("unfsImage.jpg");
    Provide("DefaultStampImage.jpg");
    fw::PictureRef first = unfsImage();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(DefaultStampImage(), nullptr);
    // Gone from disk: a second read would fail, so the same object proves no read.
    Remove("unfsImage.jpg");
    EXPECT_EQ(unfsImage(), first);

    fw::SetExecutableFileForTests("/stampora");
    ResetProjectPicturesForTests();
    EXPECT_THROW(unfsImage(), fw::NilObjectException);
}

TEST_F(ProjectPicturesTest, OverlayTakesItsMaskFromTheMaskPictureOnceIfThereIsOne) {
    Provide("StampOverlay.jpg");
    fw::PictureRef overlay = StampOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(StampOverlayMask(), nullptr);
    // The mask file arriving later changes nothing: the overlay is loaded.
    Provide("StampOverlayMask.jpg");
    EXPECT_EQ(StampOverlay(), overlay);

    ResetProjectPicturesForTests();
    overlay = StampOverlay();
    ASSERT_TRUE(overlay && overlay->HasMask());
    fw::PictureRef mask = overlay->Mask(false);
    // The mask is the mask picture's pixels: the window transparent, the frame opaque.
    EXPECT_GT(qGray(mask->Image().pixel(40, 40)), 240);
    EXPECT_LT(qGray(mask->Image().pixel(40, 4)), 15);
    // StampOverlayMask was loaded inside that first load, and is kept.
    Remove("StampOverlayMask.jpg");
    EXPECT_NE(StampOverlayMask(), nullptr);
    // Later calls neither reload nor draw the mask again.
    mask->GetGraphics().ForeColor = 0x808080;
    mask->GetGraphics().FillRect(0, 0, 80, 80);
    EXPECT_EQ(StampOverlay(), overlay);
    EXPECT_EQ(overlay->Mask(false), mask);
    EXPECT_EQ(mask->Image().pixel(40, 40) & 0xFFFFFF, 0x808080u);
}

// The checked-in pictures keep the sizes and shapes the card relies on.
TEST(ProjectPictureFiles, HaveTheSizesAndClearAreasTheCardLaysOut) {
    auto open = [](const char* name) {
        return fw::FolderItem::FromPath(std::string(STAMPORA_RESOURCES) + "/" + name)->OpenAsPicture();
    };
    struct { const char* name; int w, h; } files[] = {
        {"StampOverlay.jpg", 80, 80}, {"StampOverlayMask.jpg", 80, 80}, {"unfsImage.jpg", 256, 256}};
    for (const auto& f : files) {
        fw::PictureRef p = open(f.name);
        ASSERT_NE(p, nullptr) << f.name;
        EXPECT_EQ(QSize(p->Width(), p->Height()), QSize(f.w, f.h)) << f.name;
    }
    fw::PictureRef stamp = open("DefaultStampImage.jpg");
    ASSERT_NE(stamp, nullptr);
    EXPECT_GE(std::min(stamp->Width(), stamp->Height()), 80);

    // The overlay mask: the photo's window transparent; every pixel of the outermost
    // ring, notches included, opaque, so that the photo never shows through the perforation.
    const QImage m = open("StampOverlayMask.jpg")->Image();
    for (int y = 16; y < 64; y += 8)
        for (int x = 16; x < 64; x += 8) EXPECT_GT(qGray(m.pixel(x, y)), 240) << x << "," << y;
    for (int i = 0; i < 80; ++i)
        for (QPoint p : {QPoint(i, 0), QPoint(i, 79), QPoint(0, i), QPoint(79, i)})
            EXPECT_LT(qGray(m.pixel(p)), 24) << p.x() << "," << p.y();

    // "Drop Photo Here" is drawn centred on the card, at 24 pixels, in light grey:
    // the placeholder must be nearly white behind it.
    const QImage p = open("unfsImage.jpg")->Image();
    for (int y = 110; y < 146; y += 2)
        for (int x = 30; x < 226; x += 4) ASSERT_GT(qGray(p.pixel(x, y)), 245) << x << "," << y;
}
