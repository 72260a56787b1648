#include "framework/Graphics.h"
#include "framework/Picture.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <vector>

using fw::Picture;
using fw::PictureRef;

namespace {

// A source that paints a known colour at whatever size it is asked for, and keeps a
// record of the sizes asked.
class RecordingSource : public fw::PictureSource {
public:
    RecordingSource(QSize natural, std::vector<QSize>* asked, bool fail = false)
        : natural_(natural), asked_(asked), fail_(fail) {}
    QImage Decode(QSize atLeast) override {
        asked_->push_back(atLeast);
        if (fail_) return {};
        // Halvings down to the first that still covers, like a real reduced decode.
        QSize size = natural_;
        while (size.width() / 2 >= atLeast.width() && size.height() / 2 >= atLeast.height())
            size /= 2;
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(0x20, 0x80, 0xC0));
        return image;
    }

private:
    QSize natural_;
    std::vector<QSize>* asked_;
    bool fail_;
};

PictureRef LazyPicture(int w, int h, std::vector<QSize>* asked, QImage preview = {},
                       bool fail = false) {
    return std::make_shared<Picture>(
        w, h, std::make_unique<RecordingSource>(QSize(w, h), asked, fail), std::move(preview));
}

QRgb Pixel(const PictureRef& p, int x, int y) { return p->Image().pixel(x, y) & 0xFFFFFF; }

} // namespace

TEST(Picture, NewPictureIsWhiteAtTheAskedSize) {
    PictureRef p = Picture::New(7, 5, 24);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Width(), 7);
    EXPECT_EQ(p->Height(), 5);
    EXPECT_EQ(p->Image().format(), QImage::Format_RGB32);
    EXPECT_EQ(Pixel(p, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(Pixel(p, 6, 4), 0xFFFFFFu);
}

TEST(Picture, NewRefusesEmptyAndAbsurdSizes) {
    EXPECT_EQ(Picture::New(0, 10, 32), nullptr);
    EXPECT_EQ(Picture::New(10, -1, 32), nullptr);
    EXPECT_EQ(Picture::New(100000, 100000, 32), nullptr);
    EXPECT_NE(Picture::New(1, 1, 32), nullptr);
    const int64_t saved = Picture::PixelLimit();
    Picture::SetPixelLimit(100);
    EXPECT_EQ(Picture::New(11, 10, 32), nullptr);
    EXPECT_NE(Picture::New(10, 10, 32), nullptr);
    Picture::SetPixelLimit(saved);
}

TEST(Picture, MaskIsMadeOnlyWhenAskedAndThenKept) {
    PictureRef p = Picture::New(4, 3, 32);
    EXPECT_EQ(p->Mask(false), nullptr);
    EXPECT_FALSE(p->HasMask());
    PictureRef mask = p->Mask(true);
    ASSERT_NE(mask, nullptr);
    EXPECT_TRUE(p->HasMask());
    EXPECT_EQ(p->Mask(true), mask);
    EXPECT_EQ(p->Mask(false), mask);
    EXPECT_EQ(mask->Width(), 4);
    EXPECT_EQ(mask->Height(), 3);
    // A new mask is black: the picture stays opaque.
    EXPECT_EQ(Pixel(mask, 0, 0), 0x000000u);
    EXPECT_EQ(Pixel(mask, 3, 2), 0x000000u);
}

TEST(Picture, DecodedImageWithTransparencyLiesOverWhite) {
    QImage argb(2, 1, QImage::Format_ARGB32);
    argb.setPixel(0, 0, qRgba(255, 0, 0, 0));     // fully transparent red
    argb.setPixel(1, 0, qRgba(0, 0, 255, 255));   // opaque blue
    Picture p(argb);
    EXPECT_EQ(p.Image().format(), QImage::Format_RGB32);
    EXPECT_EQ(p.Image().pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(p.Image().pixel(1, 0) & 0xFFFFFF, 0x0000FFu);
}

TEST(Picture, CompositedTakesAlphaFromTheMaskGreyLevel) {
    PictureRef p = Picture::New(3, 1, 32);
    p->Image().fill(QColor(200, 100, 50));
    PictureRef mask = p->Mask(true);
    mask->Image().setPixel(0, 0, qRgb(0, 0, 0));
    mask->Image().setPixel(1, 0, qRgb(255, 255, 255));
    mask->Image().setPixel(2, 0, qRgb(128, 128, 128));
    const QImage c = p->Composited();
    EXPECT_EQ(qAlpha(c.pixel(0, 0)), 255);
    EXPECT_EQ(qAlpha(c.pixel(1, 0)), 0);
    EXPECT_EQ(qAlpha(c.pixel(2, 0)), 127);
    EXPECT_EQ(qRed(c.pixel(0, 0)), 200);
}

TEST(Picture, CompositedIsKeptUntilPictureOrMaskChanges) {
    PictureRef p = Picture::New(4, 4, 32);
    PictureRef mask = p->Mask(true);
    const qint64 first = p->Composited().cacheKey();
    EXPECT_EQ(p->Composited().cacheKey(), first);

    // A change of the mask through its graphics must show in the next composite.
    mask->GetGraphics().ClearRect(0, 0, 2, 4);
    const QImage afterMask = p->Composited();
    EXPECT_NE(afterMask.cacheKey(), first);
    EXPECT_EQ(qAlpha(afterMask.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(afterMask.pixel(3, 0)), 255);

    // And so must a change of the picture's own pixels.
    p->GetGraphics().ForeColor = 0xFF0000;
    p->GetGraphics().FillRect(0, 0, 4, 4);
    const QImage afterPicture = p->Composited();
    EXPECT_NE(afterPicture.cacheKey(), afterMask.cacheKey());
    EXPECT_EQ(qRed(afterPicture.pixel(3, 3)), 255);
    EXPECT_EQ(qGreen(afterPicture.pixel(3, 3)), 0);
}

TEST(Picture, LazyPictureKeepsItsNaturalSizeAndDecodesOnlyWhatIsNeeded) {
    std::vector<QSize> asked;
    PictureRef p = LazyPicture(800, 600, &asked);
    EXPECT_EQ(p->Width(), 800);
    EXPECT_EQ(p->Height(), 600);
    EXPECT_FALSE(p->IsFullyDecoded());
    EXPECT_TRUE(p->IsStandardForm());
    EXPECT_TRUE(asked.empty());

    Picture::Pixels pixels = p->PixelsForScale(0.25, 0.25);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], QSize(200, 150));
    EXPECT_EQ(pixels.image.size(), QSize(200, 150));
    EXPECT_DOUBLE_EQ(pixels.factorX, 0.25);
    EXPECT_FALSE(p->IsFullyDecoded());

    // A smaller scale is covered by what is there already.
    p->PixelsForScale(0.1, 0.1);
    EXPECT_EQ(asked.size(), 1u);

    // A larger one decodes again, still not in full.
    pixels = p->PixelsForScale(0.4, 0.4);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(pixels.image.size(), QSize(400, 300));
    EXPECT_FALSE(p->IsFullyDecoded());
    EXPECT_EQ(p->Width(), 800);
}

TEST(Picture, PixelAccessForcesTheFullDecode) {
    std::vector<QSize> asked;
    PictureRef p = LazyPicture(64, 32, &asked);
    const QImage& image = p->Image();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], QSize(64, 32));
    EXPECT_EQ(image.size(), QSize(64, 32));
    EXPECT_TRUE(p->IsFullyDecoded());
    EXPECT_EQ(image.pixel(5, 5) & 0xFFFFFF, 0x2080C0u);
    // Drawing at full scale afterwards uses those pixels without asking again.
    EXPECT_EQ(p->PixelsForScale(1.0, 1.0).image.size(), QSize(64, 32));
    EXPECT_EQ(asked.size(), 1u);
}

TEST(Picture, APreviewCoveringTheRequestIsUsedWithoutDecoding) {
    std::vector<QSize> asked;
    QImage preview(100, 75, QImage::Format_RGB32);
    preview.fill(Qt::red);
    PictureRef p = LazyPicture(800, 600, &asked, preview);
    Picture::Pixels pixels = p->PixelsForScale(0.1, 0.1);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(pixels.image.size(), QSize(100, 75));
    EXPECT_EQ(pixels.image.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
}

TEST(Picture, AFailedLateDecodeLeavesAWhitePictureOfTheSameSize) {
    std::vector<QSize> asked;
    PictureRef p = LazyPicture(40, 30, &asked, {}, /*fail=*/true);
    EXPECT_EQ(p->Image().size(), QSize(40, 30));
    EXPECT_EQ(Pixel(p, 20, 15), 0xFFFFFFu);
    EXPECT_EQ(p->Width(), 40);
}

