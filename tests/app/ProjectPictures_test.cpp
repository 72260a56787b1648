#include "app/ProjectPictures.h"

#include "framework/Exceptions.h"
#include "framework/ExecutableFile.h"
#include "framework/Graphics.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using fw::PictureRef;

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
    PictureRef first = unfsImage();
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
    PictureRef overlay = StampOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(StampOverlayMask(), nullptr);
    // The mask file arriving later changes nothing: the overlay is loaded.
    Provide("StampOverlayMask.jpg");
    EXPECT_EQ(StampOverlay(), overlay);

    ResetProjectPicturesForTests();
    overlay = StampOverlay();
    ASSERT_TRUE(overlay && overlay->HasMask());
    PictureRef mask = overlay->Mask(false);
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
        PictureRef p = open(f.name);
        ASSERT_NE(p, nullptr) << f.name;
        EXPECT_EQ(QSize(p->Width(), p->Height()), QSize(f.w, f.h)) << f.name;
    }
    PictureRef stamp = open("DefaultStampImage.jpg");
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
