#include "app/SharedPictureEffects.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

using fw::Picture;
using fw::PictureRef;

using testsupport::SolidPicture;
using testsupport::RgbAt;

namespace {

class SharedPictureEffectsTest : public ::testing::Test {
protected:
    void SetUp() override { SharedPictureEffects::Release(); }
    void TearDown() override { SharedPictureEffects::Release(); }
};


} // namespace

TEST_F(SharedPictureEffectsTest, FirstRotationMakesTheEffectAndLaterOnesShareIt) {
    EXPECT_EQ(SharedPictureEffects::rotKing, nullptr);
    SharedPictureEffects::Rotate(SolidPicture(10, 10, 0), 4, 0xFFFFFF, 1);
    const auto first = SharedPictureEffects::rotKing;
    ASSERT_NE(first, nullptr);
    SharedPictureEffects::Rotate(SolidPicture(20, 5, 0), -8, 0xFFFFFF, 1);
    EXPECT_EQ(SharedPictureEffects::rotKing, first);
    SharedPictureEffects::Release();
    EXPECT_EQ(SharedPictureEffects::rotKing, nullptr);
}

TEST_F(SharedPictureEffectsTest, WithoutAMaskTheCornersAreTheBackground) {
    PictureRef turned = SharedPictureEffects::Rotate(SolidPicture(80, 80, 0x0000FF), 4, 0xFFFFFF, 1);
    EXPECT_FALSE(turned->HasMask());
    EXPECT_EQ(RgbAt(turned, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(RgbAt(turned, turned->Width() - 1, turned->Height() - 1), 0xFFFFFFu);
    EXPECT_EQ(RgbAt(turned, turned->Width() / 2, turned->Height() / 2), 0x0000FFu);
}

TEST_F(SharedPictureEffectsTest, WithAMaskTheMaskTurnsAlongAndTheCornersGoTransparent) {
    PictureRef source = SolidPicture(200, 45, 0xB60000);
    PictureRef mask = source->Mask(true);
    // Opaque only in the left half.
    mask->GetGraphics().ClearRect(100, 0, 100, 45);

    PictureRef turned = SharedPictureEffects::Rotate(source, -8, 0x00FF00, 1);
    ASSERT_TRUE(turned->HasMask());
    PictureRef turnedMask = turned->Mask(false);
    EXPECT_EQ(turnedMask->Width(), turned->Width());
    EXPECT_EQ(turnedMask->Height(), turned->Height());
    const int w = turned->Width(), h = turned->Height();
    // Corners: outside the turned source, white (transparent) in the mask.
    EXPECT_EQ(RgbAt(turnedMask, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(RgbAt(turnedMask, w - 1, h - 1), 0xFFFFFFu);
    EXPECT_EQ(RgbAt(turnedMask, w / 4, h / 2), 0x000000u);
    EXPECT_EQ(RgbAt(turnedMask, 3 * w / 4, h / 2), 0xFFFFFFu);

    // Drawn over green, the corners and the right half let the green through.
    PictureRef card = SolidPicture(w, h, 0x00FF00);
    card->GetGraphics().DrawPicture(turned, 0, 0);
    EXPECT_EQ(RgbAt(card, 0, 0), 0x00FF00u);
    EXPECT_EQ(RgbAt(card, 3 * w / 4, h / 2), 0x00FF00u);
    EXPECT_EQ(RgbAt(card, w / 4, h / 2), 0xB60000u);
}

TEST_F(SharedPictureEffectsTest, SourceAndItsMaskAreLeftUnchanged) {
    PictureRef source = SolidPicture(40, 30, 0x336699);
    PictureRef mask = source->Mask(true);
    mask->GetGraphics().ClearRect(0, 0, 10, 10);
    const QImage pixels = source->Image().copy();
    const QImage maskPixels = mask->Image().copy();
    SharedPictureEffects::Rotate(source, 4, 0xFFFFFF, 1);
    EXPECT_EQ(source->Image(), pixels);
    EXPECT_EQ(source->Mask(false), mask);
    EXPECT_EQ(mask->Image(), maskPixels);
    EXPECT_EQ(source->Width(), 40);
}
