#include "platform/effects/RotateEffect.h"

#include "framework/Exceptions.h"
#include "framework/Graphics.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using effects::RotateEffect;
using fw::Picture;
using fw::PictureRef;

using testsupport::SolidPicture;
using testsupport::RgbAt;

namespace {


} // namespace

// --- size

struct SizeCase {
    int w, h;
    double angle;
};

class RotateEffectSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(RotateEffectSize, HoldsTheWholeTurnedRectangle) {
    const SizeCase c = GetParam();
    const double a = c.angle * std::numbers::pi / 180.0;
    const double cw = std::abs(c.w * std::cos(a)) + std::abs(c.h * std::sin(a));
    const double ch = std::abs(c.w * std::sin(a)) + std::abs(c.h * std::cos(a));
    RotateEffect effect;
    PictureRef turned = effect.Apply(SolidPicture(c.w, c.h, 0x102030), c.angle, 0xFFFFFF, 1);
    ASSERT_NE(turned, nullptr);
    // Never smaller than the turned rectangle, and at most one pixel of rounding more.
    EXPECT_GE(turned->Width(), cw - 1e-6);
    EXPECT_LT(turned->Width(), cw + 1.0);
    EXPECT_GE(turned->Height(), ch - 1e-6);
    EXPECT_LT(turned->Height(), ch + 1.0);
    EXPECT_EQ(QSize(turned->Width(), turned->Height()), RotateEffect::TurnedSize(c.w, c.h, c.angle));
}

INSTANTIATE_TEST_SUITE_P(Angles, RotateEffectSize,
                         ::testing::Values(SizeCase{80, 80, 4}, SizeCase{200, 45, -8},
                                           SizeCase{200, 45, 8}, SizeCase{31, 17, 45},
                                           SizeCase{1, 1, 30}));

TEST(RotateEffect, RightAnglesAndZeroAddNoPixel) {
    EXPECT_EQ(RotateEffect::TurnedSize(200, 45, 0), QSize(200, 45));
    EXPECT_EQ(RotateEffect::TurnedSize(200, 45, 90), QSize(45, 200));
    EXPECT_EQ(RotateEffect::TurnedSize(200, 45, -180), QSize(200, 45));
}

TEST(RotateEffect, PictureAndMaskOfOneSizeTurnToOneSize) {
    RotateEffect effect;
    PictureRef picture = SolidPicture(200, 45, 0xB60000);
    PictureRef mask = picture->Mask(true);
    PictureRef a = effect.Apply(picture, -8, 0xFFFFFF, 1);
    PictureRef b = effect.Apply(mask, -8, 0xFFFFFF, 1);
    EXPECT_EQ(a->Width(), b->Width());
    EXPECT_EQ(a->Height(), b->Height());
}

// --- pixels

TEST(RotateEffect, UncoveredCornersTakeTheBackgroundColour) {
    RotateEffect effect;
    PictureRef turned = effect.Apply(SolidPicture(80, 80, 0x0000FF), 4, 0x00FF00, 1);
    const int w = turned->Width(), h = turned->Height();
    EXPECT_EQ(RgbAt(turned, 0, 0), 0x00FF00u);
    EXPECT_EQ(RgbAt(turned, w - 1, 0), 0x00FF00u);
    EXPECT_EQ(RgbAt(turned, 0, h - 1), 0x00FF00u);
    EXPECT_EQ(RgbAt(turned, w - 1, h - 1), 0x00FF00u);
    EXPECT_EQ(RgbAt(turned, w / 2, h / 2), 0x0000FFu);
}

TEST(RotateEffect, ZeroAngleCopiesExactly) {
    PictureRef source = SolidPicture(5, 3, 0xFFFFFF);
    source->Image().setPixel(1, 2, qRgb(10, 20, 30));
    RotateEffect effect;
    PictureRef same = effect.Apply(source, 0, 0x000000, 1);
    EXPECT_EQ(same->Image().convertToFormat(QImage::Format_RGB32),
              source->Image().convertToFormat(QImage::Format_RGB32));
}

TEST(RotateEffect, PositiveAngleTurnsClockwise) {
    // A red top half: a quarter turn clockwise brings it to the right.
    PictureRef source = SolidPicture(40, 20, 0x0000FF);
    source->GetGraphics().ForeColor = 0xFF0000;
    source->GetGraphics().FillRect(0, 0, 40, 10);
    RotateEffect effect;
    PictureRef turned = effect.Apply(source, 90, 0xFFFFFF, 0);
    ASSERT_EQ(QSize(turned->Width(), turned->Height()), QSize(20, 40));
    EXPECT_EQ(RgbAt(turned, 15, 20), 0xFF0000u);
    EXPECT_EQ(RgbAt(turned, 4, 20), 0x0000FFu);
}

TEST(RotateEffect, MethodOneBlendsTheEdgesOtherMethodsDoNot) {
    auto countMixed = [](const PictureRef& p) {
        int mixed = 0;
        for (int y = 0; y < p->Height(); ++y)
            for (int x = 0; x < p->Width(); ++x) {
                const QRgb c = p->Image().pixel(x, y) & 0xFFFFFF;
                if (c != 0x000000 && c != 0xFFFFFF) ++mixed;
            }
        return mixed;
    };
    RotateEffect effect;
    EXPECT_GT(countMixed(effect.Apply(SolidPicture(60, 60, 0x000000), 4, 0xFFFFFF, 1)), 60);
    EXPECT_EQ(countMixed(effect.Apply(SolidPicture(60, 60, 0x000000), 4, 0xFFFFFF, 0)), 0);
}

TEST(RotateEffect, SourceIsLeftUnchanged) {
    PictureRef source = SolidPicture(30, 20, 0x445566);
    const QImage before = source->Image().copy();
    const qint64 key = source->Image().cacheKey();
    RotateEffect effect;
    effect.Apply(source, 4, 0xFFFFFF, 1);
    EXPECT_EQ(source->Image().cacheKey(), key);
    EXPECT_EQ(source->Image(), before);
    EXPECT_FALSE(source->HasMask());
}

TEST(RotateEffect, NilSourceRaises) {
    RotateEffect effect;
    EXPECT_THROW(effect.Apply(nullptr, 4, 0xFFFFFF, 1), fw::NilObjectException);
}
