#include "platform/effects/EnsurePictureCompatible.h"

#include "tests/common/TestSupport.h"

using namespace effects;
using fw::Picture;
using fw::PictureRef;
using namespace testsupport;

TEST(EnsurePictureCompatible, OnlyOtherPixelFormatsAreConvertedWithTheirMask) {
    EXPECT_EQ(effects::EnsurePictureCompatible(nullptr), nullptr);
    PictureRef standard = Picture::New(10, 10, 24);
    EXPECT_EQ(effects::EnsurePictureCompatible(standard), standard);
    std::vector<QSize> decodes;   // a lazy photo is standard already and stays undecoded
    auto lazy = LazyPicture(100, 50, &decodes);
    EXPECT_TRUE(effects::EnsurePictureCompatible(lazy) == lazy && decodes.empty());

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
