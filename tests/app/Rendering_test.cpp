// The card as the user sees it is compared with committed reference pictures in
// tests/app/testdata, rendered with a fixed date, locale and DejaVu fonts; a picture
// matches when every channel is within 24 on all but at most 40 pixels. After an
// intended change of the card's look, regenerate them (then look at them) with
//     STAMPORA_UPDATE_REFERENCES=1 ctest --test-dir build -R Reference
// A failing comparison writes the picture drawn and a difference picture into
// build/tests/reference-failures/ and names them.

#include "tests/app/StamporaFixture.h"

#include "framework/core/Exceptions.h"
#include "framework/graphics/Graphics.h"
#include "interfacekit/ifkAboutBox.h"

#include <fstream>

namespace {

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
// post mark (whole: its three centred lines, the date among them, slanted and worn)
// and the default caption.
TEST_F(CardReference, EmptyCard) { EXPECT_TRUE(Matches(Card(), "empty_card")); }

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

// Fitted, the whole photo as large as fits, centred in the photo area: 100 x 100 is drawn
// 316 x 316 at (52, 0), 3000 x 2000 420 x 280 at (0, 18), 1000 x 200 (stored 1580 x 316) 420 x 83 at (0, 116).
TEST_F(CardReference, FittedPhotos) {
    for (auto [w, h] : {std::pair{100, 100}, {3000, 2000}, {1000, 200}}) {
        window->AddImage(std::make_shared<fw::Picture>(cardtest::ColumnRamp(w, h)));
        window->ScaleToFit = true;
        EXPECT_TRUE(Matches(Card().copy(0, 0, 420, 316), ("fitted_" + std::to_string(w) + "x" + std::to_string(h)).c_str()));
    }
}

// Help > About fills the box with the program's own texts (name, information, the maker's
// two lines) and shows the version (fixed here, so that the picture outlives a release) and
// the bundle's icon.
TEST_F(CardReference, AboutBox) {
    auto app = std::make_shared<App>();
    app->ShortVersion = "3.0.6";
    fw::Runtime::RuntimeRegisterAppObject(app);
    EXPECT_FALSE(window->_HelpAboutStampora_Action());
    auto box = ifkAboutBox::Instance();
    ASSERT_TRUE(box->Widget()->isVisible());
    // The picture wraps the maker's first line where its line break is: only the text shows that break.
    EXPECT_EQ(box->Copyright()->Text(), "Made by Pixalune, makers of Pixalune Photos.\nwww.pixalune.com");
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

TEST_F(StamporaTest, CaptionSizeIsTheWholeNumberOfItsText) {
    auto render = [&](const char* size) {
        static_cast<QComboBox*>(window->textSizeField()->Widget())->setEditText(size);
        return window->Generate()->Image();
    };
    EXPECT_EQ(render("24.7"), render("24"));
    // Not a number: the default size.
    EXPECT_EQ(render("abc"), render("12"));
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
