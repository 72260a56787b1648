#include "platform/effects/TextureRenderer.h"

#include "framework/Exceptions.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using effects::TextureRenderer;
using fw::Picture;
using fw::PictureRef;

using testsupport::SolidPicture;

namespace {


struct Range {
    int lowest = 255;
    int highest = 0;
};

Range GreyRange(const PictureRef& p) {
    Range r;
    for (int y = 0; y < p->Height(); ++y)
        for (int x = 0; x < p->Width(); ++x) {
            const int g = qGray(p->Image().pixel(x, y));
            r.lowest = std::min(r.lowest, g);
            r.highest = std::max(r.highest, g);
        }
    return r;
}

} // namespace

TEST(TextureRenderer, WhiteSourceGivesTheLightColourEverywhere) {
    TextureRenderer renderer;
    PictureRef clouds = renderer.RenderClouds(SolidPicture(50, 20, 0xFFFFFF), nullptr);
    ASSERT_NE(clouds, nullptr);
    EXPECT_EQ(clouds->Width(), 50);
    EXPECT_EQ(clouds->Height(), 20);
    const Range r = GreyRange(clouds);
    EXPECT_EQ(r.lowest, 255);
}

TEST(TextureRenderer, DarkSourceGivesMottledDarkness) {
    TextureRenderer renderer;
    const Range r = GreyRange(renderer.RenderClouds(SolidPicture(120, 60, 0x000000), nullptr));
    // Dark enough to pass ink through a mask, never fully light, and uneven.
    EXPECT_LT(r.highest, 200);
    EXPECT_LT(r.lowest, 110);
    EXPECT_GT(r.highest - r.lowest, 60);
}

TEST(TextureRenderer, TextureColourIsTheLightEndOnlyWhenUsed) {
    TextureRenderer renderer;
    renderer.TextureColor = 0x80C0FF;
    PictureRef unused = renderer.RenderClouds(SolidPicture(8, 8, 0xFFFFFF), nullptr);
    EXPECT_EQ(unused->Image().pixel(3, 3) & 0xFFFFFF, 0xFFFFFFu);
    renderer.UseTextureColor = true;
    PictureRef used = renderer.RenderClouds(SolidPicture(8, 8, 0xFFFFFF), nullptr);
    EXPECT_EQ(used->Image().pixel(3, 3) & 0xFFFFFF, 0x80C0FFu);
}

TEST(TextureRenderer, SamePixelsGiveTheSamePattern) {
    TextureRenderer a, b;
    PictureRef first = a.RenderClouds(SolidPicture(64, 32, 0x202020), nullptr);
    PictureRef second = b.RenderClouds(SolidPicture(64, 32, 0x202020), nullptr);
    EXPECT_EQ(first->Image(), second->Image());
}

TEST(TextureRenderer, DarkerSourceNeverGivesLighterTexture) {
    TextureRenderer renderer;
    PictureRef light = renderer.RenderClouds(SolidPicture(40, 40, 0xC0C0C0), nullptr);
    PictureRef dark = renderer.RenderClouds(SolidPicture(40, 40, 0x303030), nullptr);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_LE(qGray(dark->Image().pixel(x, y)), qGray(light->Image().pixel(x, y)));
}

TEST(TextureRenderer, WhiteMaskKeepsTheTextureLight) {
    TextureRenderer renderer;
    PictureRef mask = SolidPicture(30, 10, 0x000000);
    mask->GetGraphics().ClearRect(0, 0, 15, 10);
    PictureRef clouds = renderer.RenderClouds(SolidPicture(30, 10, 0x000000), mask);
    EXPECT_EQ(qGray(clouds->Image().pixel(5, 5)), 255);
    EXPECT_LT(qGray(clouds->Image().pixel(25, 5)), 200);
}

TEST(TextureRenderer, SourceIsLeftUnchangedAndNilRaises) {
    PictureRef source = SolidPicture(10, 10, 0x000000);
    const qint64 key = source->Image().cacheKey();
    TextureRenderer renderer;
    renderer.RenderClouds(source, nullptr);
    EXPECT_EQ(source->Image().cacheKey(), key);
    EXPECT_THROW(renderer.RenderClouds(nullptr, nullptr), fw::NilObjectException);
}
