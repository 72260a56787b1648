#include "framework/Graphics.h"
#include "framework/Picture.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using fw::Picture;
using fw::PictureRef;
using testsupport::RgbAt;

namespace {

// Paints a known colour at whatever size it is asked for, halving down like a real
// reduced decode, and records the sizes asked.
class RecordingSource : public fw::PictureSource {
public:
    RecordingSource(QSize natural, std::vector<QSize>* asked, bool fail) : natural_(natural), asked_(asked), fail_(fail) {}
    QImage Decode(QSize atLeast) override {
        asked_->push_back(atLeast);
        if (fail_) return {};
        QSize size = natural_;
        while (size.width() / 2 >= atLeast.width() && size.height() / 2 >= atLeast.height()) size /= 2;
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(0x20, 0x80, 0xC0));
        return image;
    }

private:
    QSize natural_;
    std::vector<QSize>* asked_;
    bool fail_;
};

PictureRef LazyPicture(int w, int h, std::vector<QSize>* asked, QImage preview = {}, bool fail = false) {
    return std::make_shared<Picture>(w, h, std::make_unique<RecordingSource>(QSize(w, h), asked, fail), std::move(preview));
}

} // namespace

TEST(Picture, NewIsWhiteAtTheAskedSizeAndRefusesEmptyOrAbsurdSizes) {
    PictureRef p = Picture::New(7, 5, 24);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::tuple(p->Image().size(), p->Image().format(), RgbAt(p, 6, 4)), std::tuple(QSize(7, 5), QImage::Format_RGB32, 0xFFFFFFu));
    for (auto [w, h] : {std::pair{0, 10}, {10, -1}, {100000, 100000}}) EXPECT_EQ(Picture::New(w, h, 32), nullptr) << w;
    const int64_t saved = Picture::PixelLimit();
    Picture::SetPixelLimit(100);
    EXPECT_TRUE(!Picture::New(11, 10, 32) && Picture::New(10, 10, 32));
    Picture::SetPixelLimit(saved);
}

TEST(Picture, ADecodedImageWithTransparencyLiesOverWhite) {
    QImage argb(2, 1, QImage::Format_ARGB32);
    argb.setPixel(0, 0, qRgba(255, 0, 0, 0));     // fully transparent red
    argb.setPixel(1, 0, qRgba(0, 0, 255, 255));   // opaque blue
    const auto p = std::make_shared<Picture>(argb);
    EXPECT_EQ(p->Image().format(), QImage::Format_RGB32);
    EXPECT_EQ(std::pair(RgbAt(p, 0, 0), RgbAt(p, 1, 0)), std::pair(0xFFFFFFu, 0x0000FFu));
}

TEST(Picture, MaskIsMadeBlackOnlyWhenAskedAndThenKept) {
    PictureRef p = Picture::New(4, 3, 32);
    EXPECT_TRUE(!p->Mask(false) && !p->HasMask());
    PictureRef mask = p->Mask(true);
    ASSERT_NE(mask, nullptr);
    EXPECT_TRUE(p->HasMask() && p->Mask(false) == mask);
    EXPECT_EQ(QSize(mask->Width(), mask->Height()), QSize(4, 3));
    EXPECT_EQ(RgbAt(mask, 3, 2), 0x000000u);   // the picture stays opaque
}

TEST(Picture, CompositedTakesAlphaFromTheMaskAndFollowsEveryChange) {
    PictureRef p = Picture::New(3, 1, 32);
    p->Image().fill(QColor(200, 100, 50));
    PictureRef mask = p->Mask(true);
    mask->Image().setPixel(1, 0, qRgb(255, 255, 255));
    mask->Image().setPixel(2, 0, qRgb(128, 128, 128));
    QImage c = p->Composited();
    EXPECT_EQ(std::vector<int>({qAlpha(c.pixel(0, 0)), qAlpha(c.pixel(1, 0)), qAlpha(c.pixel(2, 0))}),
              std::vector<int>({255, 0, 127}));
    EXPECT_EQ(qRed(c.pixel(0, 0)), 200);
    // Changes through either picture's graphics show in the next composite.
    mask->GetGraphics().ClearRect(2, 0, 1, 1);
    EXPECT_EQ(qAlpha(p->Composited().pixel(2, 0)), 0);
    p->GetGraphics().ForeColor = 0x00FF00;
    p->GetGraphics().FillRect(0, 0, 3, 1);
    c = p->Composited();
    EXPECT_EQ(c.pixel(0, 0), 0xFF00FF00u);
}

TEST(PictureLazy, KeepsItsSizeAndDecodesOnlyWhatEachScaleNeeds) {
    std::vector<QSize> asked;
    PictureRef p = LazyPicture(800, 600, &asked);
    EXPECT_EQ(QSize(p->Width(), p->Height()), QSize(800, 600));
    EXPECT_TRUE(!p->IsFullyDecoded() && p->IsStandardForm() && asked.empty());

    Picture::Pixels pixels = p->PixelsForScale(0.25, 0.25);
    EXPECT_EQ(asked, std::vector<QSize>{QSize(200, 150)});
    EXPECT_EQ(std::pair(pixels.image.size(), pixels.factorX), std::pair(QSize(200, 150), 0.25));
    p->PixelsForScale(0.1, 0.1);   // covered by what is there
    EXPECT_EQ(asked.size(), 1u);
    pixels = p->PixelsForScale(0.4, 0.4);
    EXPECT_EQ(std::pair(asked.size(), pixels.image.size()), std::pair(size_t(2), QSize(400, 300)));
    EXPECT_FALSE(p->IsFullyDecoded());

    // Pixel access decodes in full, once; a full-scale draw then reuses those pixels.
    EXPECT_EQ(p->Image().size(), QSize(800, 600));
    EXPECT_TRUE(asked.back() == QSize(800, 600) && p->IsFullyDecoded());
    EXPECT_EQ(RgbAt(p, 5, 5), 0x2080C0u);
    EXPECT_EQ(p->PixelsForScale(1.0, 1.0).image.size(), QSize(800, 600));
    EXPECT_EQ(asked.size(), 3u);
}

TEST(PictureLazy, APreviewCoveringTheScaleIsUsedAndAFailedDecodeLeavesWhite) {
    std::vector<QSize> asked;
    QImage preview(100, 75, QImage::Format_RGB32);
    preview.fill(Qt::red);
    const Picture::Pixels pixels = LazyPicture(800, 600, &asked, preview)->PixelsForScale(0.1, 0.1);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(std::pair(pixels.image.size(), pixels.image.pixel(0, 0) & 0xFFFFFF), std::pair(QSize(100, 75), 0xFF0000u));

    PictureRef failed = LazyPicture(40, 30, &asked, {}, /*fail=*/true);
    EXPECT_EQ(std::pair(failed->Image().size(), RgbAt(failed, 20, 15)), std::pair(QSize(40, 30), 0xFFFFFFu));
}
