#include "platform/effects/EnsurePictureCompatible.h"
#include "platform/effects/RotateEffect.h"
#include "platform/effects/TextureRenderer.h"

#include "framework/core/Exceptions.h"
#include "framework/graphics/Graphics.h"

#include "tests/common/TestSupport.h"

#include <cmath>
#include <numbers>

using namespace effects;
using fw::Picture;
using fw::PictureRef;
using namespace testsupport;

namespace {
class CountingSource : public fw::PictureSource {
public:
    explicit CountingSource(int* calls) : calls_(calls) {}
    QImage Decode(QSize) override { return ++*calls_, QImage(100, 50, QImage::Format_RGB32); }

private:
    int* calls_;
};
} // namespace

TEST(EnsurePictureCompatible, OnlyOtherPixelFormatsAreConvertedWithTheirMask) {
    EXPECT_EQ(effects::EnsurePictureCompatible(nullptr), nullptr);
    PictureRef standard = Picture::New(10, 10, 24);
    EXPECT_EQ(effects::EnsurePictureCompatible(standard), standard);
    int decodes = 0;   // a lazy photo is standard already and stays undecoded
    auto lazy = std::make_shared<Picture>(100, 50, std::make_unique<CountingSource>(&decodes), QImage());
    EXPECT_TRUE(effects::EnsurePictureCompatible(lazy) == lazy && decodes == 0);

    PictureRef p = Picture::New(4, 2, 32);
    QImage grey(4, 2, QImage::Format_Grayscale8);
    grey.fill(90);
    p->Image() = grey;
    p->Mask(true)->Image().setPixel(3, 1, qRgb(255, 255, 255));
    PictureRef converted = effects::EnsurePictureCompatible(p);
    ASSERT_NE(converted, nullptr);
    EXPECT_EQ(std::tuple(converted != p, converted->Image().format(), RgbAt(converted, 0, 0)),
              std::tuple(true, QImage::Format_RGB32, 0x5A5A5Au));
    ASSERT_TRUE(converted->HasMask());
    const PictureRef mask = converted->Mask(false);
    EXPECT_EQ(std::pair(RgbAt(mask, 3, 1), RgbAt(mask, 0, 0)), std::pair(0xFFFFFFu, 0u));
}

// Never smaller than the turned rectangle, at most one pixel of rounding more, and
// nothing added at right angles.
TEST(RotateEffect, HoldsTheWholeTurnedRectangle) {
    const struct { int w, h; double angle; } rows[] = {{80, 80, 4}, {200, 45, -8}, {200, 45, 8}, {31, 17, 45}, {1, 1, 30},
                                                      {200, 45, 0}, {200, 45, 90}, {200, 45, -180}};
    for (const auto& row : rows) {
        const double a = row.angle * std::numbers::pi / 180.0;
        const double cw = std::abs(row.w * std::cos(a)) + std::abs(row.h * std::sin(a));
        const double ch = std::abs(row.w * std::sin(a)) + std::abs(row.h * std::cos(a));
        const QSize size = RotateEffect::TurnedSize(row.w, row.h, row.angle);
        EXPECT_TRUE(size.width() >= cw - 1e-6 && size.width() < cw + 1.0) << row.angle << " " << size.width();
        EXPECT_TRUE(size.height() >= ch - 1e-6 && size.height() < ch + 1.0) << row.angle << " " << size.height();
        EXPECT_TRUE(std::fmod(row.angle, 90.0) != 0 || size.width() * size.height() == row.w * row.h) << row.angle;
        PictureRef turned = RotateEffect().Apply(SolidPicture(row.w, row.h, 0x102030), row.angle, 0xFFFFFF, RotationMethod::Smooth);
        EXPECT_EQ(QSize(turned->Width(), turned->Height()), size) << row.angle;
    }
}

TEST(RotateEffect, TurnsClockwiseOverTheBackgroundAndLeavesTheSource) {
    PictureRef source = SolidPicture(40, 20, 0x0000FF);   // a red top half goes right
    source->GetGraphics().ForeColor = 0xFF0000;
    source->GetGraphics().FillRect(0, 0, 40, 10);
    const QImage before = source->Image().copy();
    PictureRef quarter = RotateEffect().Apply(source, 90, 0xFFFFFF, RotationMethod::NearestPixel);
    EXPECT_EQ(std::pair(RgbAt(quarter, 15, 20), RgbAt(quarter, 4, 20)), std::pair(0xFF0000u, 0x0000FFu));
    EXPECT_EQ(RotateEffect().Apply(source, 0, 0, RotationMethod::Smooth)->Image().convertToFormat(QImage::Format_RGB32),
              before.convertToFormat(QImage::Format_RGB32));
    PictureRef tilted = RotateEffect().Apply(source, 4, 0x00FF00, RotationMethod::Smooth);
    const int w = tilted->Width(), h = tilted->Height();
    for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}}) EXPECT_EQ(RgbAt(tilted, x, y), 0x00FF00u);
    EXPECT_TRUE(source->Image() == before && !source->HasMask());
    EXPECT_THROW(RotateEffect().Apply(nullptr, 4, 0xFFFFFF, RotationMethod::Smooth), fw::NilObjectException);
}

TEST(RotateEffect, MethodOneBlendsTheEdgesOtherMethodsDoNot) {
    for (RotationMethod method : {RotationMethod::NearestPixel, RotationMethod::Smooth}) {
        PictureRef turned = RotateEffect().Apply(SolidPicture(60, 60, 0x000000), 4, 0xFFFFFF, method);
        int mixed = 0;
        for (int y = 0; y < turned->Height(); ++y)
            for (int x = 0; x < turned->Width(); ++x) mixed += RgbAt(turned, x, y) != 0 && RgbAt(turned, x, y) != 0xFFFFFF;
        EXPECT_EQ(mixed > 60, method == RotationMethod::Smooth) << mixed;
    }
}

namespace {
std::pair<int, int> GreyRange(const PictureRef& p) {
    int lowest = 255, highest = 0;
    for (int y = 0; y < p->Height(); ++y)
        for (int x = 0; x < p->Width(); ++x) {
            lowest = std::min(lowest, qGray(p->Image().pixel(x, y)));
            highest = std::max(highest, qGray(p->Image().pixel(x, y)));
        }
    return {lowest, highest};
}
} // namespace

TEST(TextureRenderer, ClothIsMottledWhereTheSourceIsDarkAndLightWhereItOrTheMaskIsWhite) {
    TextureRenderer renderer;
    PictureRef white = renderer.RenderClouds(SolidPicture(50, 20, 0xFFFFFF), nullptr);
    EXPECT_TRUE(QSize(white->Width(), white->Height()) == QSize(50, 20) && GreyRange(white).first == 255);
    // Dark enough to pass ink through a mask, never fully light, and uneven.
    const auto [lowest, highest] = GreyRange(renderer.RenderClouds(SolidPicture(120, 60, 0x000000), nullptr));
    EXPECT_TRUE(highest < 200 && lowest < 110 && highest - lowest > 60) << lowest << ".." << highest;

    PictureRef mask = SolidPicture(30, 10, 0x000000);
    mask->GetGraphics().ClearRect(0, 0, 15, 10);
    PictureRef masked = renderer.RenderClouds(SolidPicture(30, 10, 0x000000), mask);
    EXPECT_EQ(qGray(masked->Image().pixel(5, 5)), 255);
    EXPECT_LT(qGray(masked->Image().pixel(25, 5)), 200);
    EXPECT_THROW(renderer.RenderClouds(nullptr, nullptr), fw::NilObjectException);
}

TEST(TextureRenderer, IsRepeatableMonotonousAndLeavesTheSource) {
    PictureRef source = SolidPicture(40, 40, 0x303030);
    const QImage before = source->Image().copy();
    PictureRef dark = TextureRenderer().RenderClouds(source, nullptr);
    EXPECT_EQ(TextureRenderer().RenderClouds(source, nullptr)->Image(), dark->Image());
    EXPECT_EQ(source->Image(), before);
    PictureRef light = TextureRenderer().RenderClouds(SolidPicture(40, 40, 0xC0C0C0), nullptr);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_LE(qGray(dark->Image().pixel(x, y)), qGray(light->Image().pixel(x, y)));
}

TEST(TextureRenderer, TextureColourIsTheLightEndOnlyWhenUsed) {
    TextureRenderer renderer;
    renderer.TextureColor = 0x80C0FF;
    EXPECT_EQ(RgbAt(renderer.RenderClouds(SolidPicture(8, 8, 0xFFFFFF), nullptr), 3, 3), 0xFFFFFFu);
    renderer.UseTextureColor = true;
    EXPECT_EQ(RgbAt(renderer.RenderClouds(SolidPicture(8, 8, 0xFFFFFF), nullptr), 3, 3), 0x80C0FFu);
}
