#include "app/SharedPictureEffects.h"

#include <gtest/gtest.h>

namespace {
fw::PictureRef Solid(int w, int h, QRgb color) {
    auto p = fw::Picture::New(w, h, 24);
    p->Image().fill(color);
    return p;
}
} // namespace

class SharedRotation : public ::testing::Test {
protected:
    void SetUp() override { SharedPictureEffects::Release(); }
    void TearDown() override { SharedPictureEffects::Release(); }
};

TEST_F(SharedRotation, OneEffectObjectServesEveryCall) {
    EXPECT_FALSE(SharedPictureEffects::rotKing);
    (void)SharedPictureEffects::Rotate(Solid(10, 10, qRgb(0, 0, 0)), 4, 0xFFFFFF, 1);
    auto first = SharedPictureEffects::rotKing;
    ASSERT_TRUE(first);
    (void)SharedPictureEffects::Rotate(Solid(10, 10, qRgb(0, 0, 0)), -8, 0xFFFFFF, 1);
    EXPECT_EQ(SharedPictureEffects::rotKing, first);
}

TEST_F(SharedRotation, WithoutAMaskTheCornersAreTheBackgroundColour) {
    auto turned = SharedPictureEffects::Rotate(Solid(80, 80, qRgb(0, 0, 255)), 4, 0xFFFFFF, 1);
    EXPECT_FALSE(turned->HasMask());
    EXPECT_EQ(turned->Image().pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(SharedRotation, WithAMaskTheCornersAreTransparentAndTheSourceIsKept) {
    auto source = Solid(200, 45, qRgb(182, 0, 0));
    auto mask = source->Mask(true);   // black: wholly opaque
    const QImage sourceBefore = source->Image().copy();
    const QImage maskBefore = mask->Image().copy();

    auto turned = SharedPictureEffects::Rotate(source, -8, 0xFFFFFF, 1);
    ASSERT_TRUE(turned->HasMask());
    auto turnedMask = turned->Mask(false);
    EXPECT_EQ(turnedMask->Width(), turned->Width());
    EXPECT_EQ(turnedMask->Height(), turned->Height());
    EXPECT_EQ(qGray(turnedMask->Image().pixel(0, 0)), 255);   // transparent corner
    EXPECT_EQ(qGray(turnedMask->Image().pixel(turned->Width() / 2, turned->Height() / 2)), 0);
    // Composited, the corner has no alpha and the middle is opaque red.
    const QImage composited = turned->Composited();
    EXPECT_EQ(qAlpha(composited.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(composited.pixel(turned->Width() / 2, turned->Height() / 2)), 255);

    EXPECT_EQ(source->Image(), sourceBefore);
    EXPECT_EQ(source->Mask(false)->Image(), maskBefore);
}
