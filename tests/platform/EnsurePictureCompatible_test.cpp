#include "platform/effects/EnsurePictureCompatible.h"

#include <gtest/gtest.h>

using effects::EnsurePictureCompatible;
using fw::Picture;
using fw::PictureRef;

namespace {

class NeverDecoded : public fw::PictureSource {
public:
    explicit NeverDecoded(int* calls) : calls_(calls) {}
    QImage Decode(QSize) override {
        ++*calls_;
        QImage image(100, 50, QImage::Format_RGB32);
        image.fill(Qt::gray);
        return image;
    }

private:
    int* calls_;
};

} // namespace

TEST(EnsurePictureCompatible, NilStaysNil) { EXPECT_EQ(EnsurePictureCompatible(nullptr), nullptr); }

TEST(EnsurePictureCompatible, StandardPictureComesBackAsItIs) {
    PictureRef p = Picture::New(10, 10, 24);
    EXPECT_EQ(EnsurePictureCompatible(p), p);
}

TEST(EnsurePictureCompatible, LazyPictureIsNotDecoded) {
    int calls = 0;
    auto lazy = std::make_shared<Picture>(100, 50, std::make_unique<NeverDecoded>(&calls), QImage());
    EXPECT_EQ(EnsurePictureCompatible(lazy), lazy);
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(lazy->IsFullyDecoded());
}

TEST(EnsurePictureCompatible, OtherPixelFormatsBecomeRgb32WithTheMaskKept) {
    PictureRef p = Picture::New(4, 2, 32);
    QImage grey(4, 2, QImage::Format_Grayscale8);
    grey.fill(90);
    p->Image() = grey;
    p->Mask(true)->Image().setPixel(3, 1, qRgb(255, 255, 255));
    ASSERT_FALSE(p->IsStandardForm());

    PictureRef standard = EnsurePictureCompatible(p);
    ASSERT_NE(standard, nullptr);
    EXPECT_NE(standard, p);
    EXPECT_TRUE(standard->IsStandardForm());
    EXPECT_EQ(standard->Image().format(), QImage::Format_RGB32);
    EXPECT_EQ(standard->Image().pixel(0, 0) & 0xFFFFFF, 0x5A5A5Au);
    ASSERT_TRUE(standard->HasMask());
    EXPECT_EQ(standard->Mask(false)->Image().pixel(3, 1) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(standard->Mask(false)->Image().pixel(0, 0) & 0xFFFFFF, 0x000000u);
}
