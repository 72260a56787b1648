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

TEST_F(ProjectPicturesTest, LoadedPictureIsKeptAndTheFileReadOnce) {
    Provide("unfsImage.jpg");
    PictureRef first = unfsImage();
    ASSERT_NE(first, nullptr);
    // Gone from disk: a second read would fail, so the same object proves no read.
    Remove("unfsImage.jpg");
    EXPECT_EQ(unfsImage(), first);
    EXPECT_EQ(unfsImage(), first);
}

TEST_F(ProjectPicturesTest, MissingPictureIsNilAndTriedAgainAtEachCall) {
    EXPECT_EQ(DefaultStampImage(), nullptr);
    EXPECT_EQ(DefaultStampImage(), nullptr);
    Provide("DefaultStampImage.jpg");
    PictureRef loaded = DefaultStampImage();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(DefaultStampImage(), loaded);
}

TEST_F(ProjectPicturesTest, UnreadableFileCountsAsMissing) {
    std::ofstream(Resources() + "/unfsImage.jpg") << "not a picture";
    EXPECT_EQ(unfsImage(), nullptr);
    Provide("unfsImage.jpg");
    EXPECT_NE(unfsImage(), nullptr);
}

TEST_F(ProjectPicturesTest, OverlayTakesItsMaskFromTheMaskPictureOnce) {
    Provide("StampOverlay.jpg");
    Provide("StampOverlayMask.jpg");
    PictureRef overlay = StampOverlay();
    ASSERT_NE(overlay, nullptr);
    ASSERT_TRUE(overlay->HasMask());
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

TEST_F(ProjectPicturesTest, OverlayWithoutItsMaskFileStillLoads) {
    Provide("StampOverlay.jpg");
    PictureRef overlay = StampOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(StampOverlayMask(), nullptr);
    // The mask file arriving later changes nothing: the overlay is loaded.
    Provide("StampOverlayMask.jpg");
    EXPECT_EQ(StampOverlay(), overlay);
}

TEST_F(ProjectPicturesTest, ResourcesAreLookedForBesideTheExecutablesFolderOnly) {
    fs::create_directories(dir_.File("Stampora/bin/Resources"));
    fs::copy_file(std::string(STAMPORA_RESOURCES) + "/unfsImage.jpg",
                  dir_.File("Stampora/bin/Resources/unfsImage.jpg"));
    EXPECT_EQ(unfsImage(), nullptr);
    Provide("unfsImage.jpg");
    EXPECT_NE(unfsImage(), nullptr);
}

TEST_F(ProjectPicturesTest, ExecutableWithoutAGrandparentRaises) {
    fw::SetExecutableFileForTests("/stampora");
    EXPECT_THROW(unfsImage(), fw::NilObjectException);
}

// --- the committed pictures keep the sizes and shapes the card relies on

TEST(ProjectPictureFiles, HaveTheSizesTheCardLaysOut) {
    const std::string dir = STAMPORA_RESOURCES;
    struct { const char* name; int w, h; } files[] = {
        {"StampOverlay.jpg", 80, 80}, {"StampOverlayMask.jpg", 80, 80}, {"unfsImage.jpg", 256, 256}};
    for (const auto& f : files) {
        PictureRef p = fw::FolderItem::FromPath(dir + "/" + f.name)->OpenAsPicture();
        ASSERT_NE(p, nullptr) << f.name;
        EXPECT_EQ(p->Width(), f.w) << f.name;
        EXPECT_EQ(p->Height(), f.h) << f.name;
    }
    PictureRef stamp = fw::FolderItem::FromPath(dir + "/DefaultStampImage.jpg")->OpenAsPicture();
    ASSERT_NE(stamp, nullptr);
    EXPECT_GE(stamp->Width(), 80);
    EXPECT_GE(stamp->Height(), 80);
}

TEST(ProjectPictureFiles, OverlayMaskOpensTheWindowAndKeepsTheEdgeOpaque) {
    PictureRef mask =
        fw::FolderItem::FromPath(std::string(STAMPORA_RESOURCES) + "/StampOverlayMask.jpg")->OpenAsPicture();
    ASSERT_NE(mask, nullptr);
    const QImage& m = mask->Image();
    // The photo's window: transparent.
    for (int y = 16; y < 64; y += 8)
        for (int x = 16; x < 64; x += 8) EXPECT_GT(qGray(m.pixel(x, y)), 240) << x << "," << y;
    // Every pixel of the outermost ring, notches included, is opaque, so that the
    // photo never shows through the perforation.
    for (int i = 0; i < 80; ++i) {
        EXPECT_LT(qGray(m.pixel(i, 0)), 24) << i;
        EXPECT_LT(qGray(m.pixel(i, 79)), 24) << i;
        EXPECT_LT(qGray(m.pixel(0, i)), 24) << i;
        EXPECT_LT(qGray(m.pixel(79, i)), 24) << i;
    }
}

TEST(ProjectPictureFiles, PlaceholderKeepsItsMiddleBandClearForTheText) {
    PictureRef placeholder =
        fw::FolderItem::FromPath(std::string(STAMPORA_RESOURCES) + "/unfsImage.jpg")->OpenAsPicture();
    ASSERT_NE(placeholder, nullptr);
    // "Drop Photo Here" is drawn centred on the card, at 24 pixels, in light grey:
    // the placeholder must be nearly white behind it.
    const QImage& p = placeholder->Image();
    for (int y = 110; y < 146; y += 2)
        for (int x = 30; x < 226; x += 4) ASSERT_GT(qGray(p.pixel(x, y)), 245) << x << "," << y;
}
