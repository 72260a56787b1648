#include "platform/effects/EnsurePictureCompatible.h"
#include "platform/effects/RotateEffect.h"
#include "platform/effects/TextureRenderer.h"

#include <gtest/gtest.h>

namespace {
fw::PictureRef Solid(int w, int h, QRgb color) {
    auto p = fw::Picture::New(w, h, 24);
    p->Image().fill(color);
    return p;
}
} // namespace

TEST(RotateEffect, TurnedPictureHoldsTheWholeSourceOnTheBackground) {
    effects::RotateEffect effect;
    auto source = Solid(80, 80, qRgb(0, 0, 255));
    auto turned = effect.Apply(source, 4.0, 0xFFFFFF, 1);
    ASSERT_TRUE(turned);
    // Larger than the source, by the turned corners; the corners are background.
    EXPECT_GT(turned->Width(), 80);
    EXPECT_GT(turned->Height(), 80);
    EXPECT_LE(turned->Width(), 87);
    EXPECT_EQ(turned->Image().pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(turned->Image().pixel(turned->Width() - 1, turned->Height() - 1) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(turned->Image().pixel(turned->Width() / 2, turned->Height() / 2) & 0xFFFFFF, 0x0000FFu);
    // The source is left alone.
    EXPECT_EQ(source->Width(), 80);
    EXPECT_EQ(source->Image().pixel(0, 0) & 0xFFFFFF, 0x0000FFu);
}

TEST(RotateEffect, SameSizeSourcesTurnToTheSameSize) {
    effects::RotateEffect effect;
    for (double angle : {4.0, -8.0, 45.0, 90.0}) {
        auto a = effect.Apply(Solid(200, 45, qRgb(1, 2, 3)), angle, 0xFFFFFF, 1);
        auto b = effect.Apply(Solid(200, 45, qRgb(250, 250, 250)), angle, 0x000000, 1);
        EXPECT_EQ(a->Width(), b->Width()) << angle;
        EXPECT_EQ(a->Height(), b->Height()) << angle;
    }
    // A quarter turn swaps the sides exactly.
    auto quarter = effect.Apply(Solid(200, 45, qRgb(1, 2, 3)), 90.0, 0xFFFFFF, 1);
    EXPECT_EQ(quarter->Width(), 45);
    EXPECT_EQ(quarter->Height(), 200);
}

TEST(RotateEffect, OppositeAnglesTurnOppositeWays) {
    effects::RotateEffect effect;
    // A picture with a red top row: turned clockwise its left end sits higher than its right.
    auto source = Solid(100, 20, qRgb(255, 255, 255));
    for (int x = 0; x < 100; ++x) source->Image().setPixel(x, 0, qRgb(255, 0, 0));
    auto redRowAt = [](const fw::PictureRef& p, int x) {
        for (int y = 0; y < p->Height(); ++y)
            if (qRed(p->Image().pixel(x, y)) > 200 && qGreen(p->Image().pixel(x, y)) < 150) return y;
        return -1;
    };
    auto plus = effect.Apply(source, 8.0, 0xFFFFFF, 1);
    auto minus = effect.Apply(source, -8.0, 0xFFFFFF, 1);
    EXPECT_LT(redRowAt(plus, 15), redRowAt(plus, plus->Width() - 15));
    EXPECT_GT(redRowAt(minus, 15), redRowAt(minus, minus->Width() - 15));
}

TEST(EnsurePictureCompatible, GivesTheStandardFormNeverNil) {
    QImage indexed(4, 4, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30)});
    indexed.fill(0);
    auto picture = std::make_shared<fw::Picture>(indexed);
    auto same = effects::EnsurePictureCompatible(picture);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->Image().format(), QImage::Format_RGB32);
    EXPECT_EQ(same->Width(), 4);
    EXPECT_EQ(same->Image().pixel(1, 1) & 0xFFFFFF, 0x0A141Eu);
}

TEST(TextureRenderer, CloudsAreLightOnWhiteAndMottledDarkOnInk) {
    auto source = Solid(120, 40, qRgb(255, 255, 255));
    for (int y = 10; y < 30; ++y)
        for (int x = 0; x < 60; ++x) source->Image().setPixel(x, y, qRgb(0, 0, 0));
    effects::TextureRenderer renderer;
    renderer.TextureColor = 0xFFFFFF;
    renderer.UseTextureColor = true;
    auto clouds = renderer.RenderClouds(source, nullptr);
    ASSERT_TRUE(clouds);
    EXPECT_EQ(clouds->Width(), 120);
    // Light wherever the source is white.
    EXPECT_EQ(clouds->Image().pixel(100, 5) & 0xFFFFFF, 0xFFFFFFu);
    // Darker where the ink is, and not one flat grey there.
    int minGrey = 255, maxGrey = 0;
    for (int y = 10; y < 30; ++y)
        for (int x = 0; x < 60; ++x) {
            const int g = qGray(clouds->Image().pixel(x, y));
            minGrey = std::min(minGrey, g);
            maxGrey = std::max(maxGrey, g);
        }
    EXPECT_LT(maxGrey, 160);
    EXPECT_GT(maxGrey - minGrey, 25);
    // The same source gives the same clouds on every run.
    EXPECT_EQ(renderer.RenderClouds(source, nullptr)->Image(), clouds->Image());
}
