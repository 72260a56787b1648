// The card as the user sees it is compared with committed reference pictures in
// tests/app/testdata, rendered with a fixed date, locale and DejaVu fonts. After an
// intended change of the card's look, regenerate them (then look at them) with
//     STAMPORA_UPDATE_REFERENCES=1 ctest --test-dir build -R Reference
// A failing comparison writes the picture drawn and a difference picture into
// build/tests/reference-failures/ and names them.

#include "tests/app/StamporaFixture.h"

#include "app/SharedPictureEffects.h"
#include "framework/core/Exceptions.h"
#include "framework/graphics/Graphics.h"
#include "interfacekit/ifkAboutBox.h"

#include <fstream>

namespace {

bool IsRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }
bool IsWhite(QRgb c) { return (c & 0xFFFFFF) == 0xFFFFFF; }

// 4 July 2011, 10:30:00: the post mark's date in every reference.
constexpr double kPostMarkDay = 3392620200.0;

class CardReference : public StamporaTest {
protected:
    void SetUp() override {
        fw::Date::SetNowForTests(kPostMarkDay);
        StamporaTest::SetUp();
    }
    void TearDown() override {
        StamporaTest::TearDown();
        fw::Date::SetNowForTests(0);
        fw::Runtime::RuntimeRegisterAppObject(nullptr);
    }
    static ::testing::AssertionResult Matches(const QImage& picture, const char* name) {
        return testsupport::MatchesReference(picture, STAMPORA_TESTDATA, name);
    }
};

} // namespace

// The placeholder centred in the photo area with its prompt, the default stamp, the
// post mark and the default caption.
TEST_F(CardReference, EmptyCard) { EXPECT_TRUE(Matches(Card(), "empty_card")); }

// The post mark alone over white: its three centred lines, the date among them, slanted and worn.
TEST_F(CardReference, PostMark) {
    ASSERT_TRUE(window->PostMark);
    auto over = SolidPicture(window->PostMark->Width(), window->PostMark->Height(), 0xFFFFFF);
    over->GetGraphics().DrawPicture(window->PostMark, 0, 0);
    EXPECT_TRUE(Matches(Pixels(over), "post_mark"));
}

// A panned photo, a stamp made from a photo of its own (only its middle shows), the
// post mark over it and a long blue caption wrapping right of the photo area.
TEST_F(CardReference, PhotoWithCaptionStampAndPostMark) {
    auto stampPhoto = fw::Picture::New(200, 100, 24);
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 100; ++y) stampPhoto->Image().setPixel(x, y, x < 50 || x >= 150 ? qRgb(0, 0, 255) : qRgb(0, 200, 0));
    window->MakePostageStamp(stampPhoto);
    const auto stamp = window->Stamp;
    window->MakePostageStamp(nullptr);
    EXPECT_EQ(window->Stamp, stamp);
    window->AddImage(std::make_shared<fw::Picture>(cardtest::ColumnRamp(900, 400)));
    window->textField()->SetText("The quick brown fox jumps over the lazy dog and keeps on running far away");
    window->ifkColorWell1()->SetcolorValue(0x0000FF);
    EXPECT_TRUE(Matches(Card(), "photo_card"));
}

// Help > About fills the box with the program's own texts and shows the bundle's version and icon.
TEST_F(CardReference, AboutBox) {
    fw::Runtime::RuntimeRegisterAppObject(std::make_shared<App>());
    EXPECT_FALSE(window->_HelpAboutStampora_Action());
    auto box = ifkAboutBox::Instance();
    ASSERT_TRUE(box->Widget()->isVisible());
    EXPECT_EQ((std::vector<std::string>{box->Name()->Text(), box->Find<fw::StaticText>("appVer")->Text(),
                                        box->Information()->Text(), box->Copyright()->Text()}),
              (std::vector<std::string>{"Stampora", "Version 1.0.0", "Turns a photo into an electronic greeting card, a Zinglet.",
                                        "Made by Pixalune, makers of Pixalune Photos.\nwww.pixalune.com"}));
    EXPECT_TRUE(Matches(box->Content()->grab().toImage(), "about_box"));
    box->Close();
}

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
