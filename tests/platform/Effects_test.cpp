#include "platform/effects/EnsurePictureCompatible.h"

#include "framework/core/Exceptions.h"

#include "tests/common/TestSupport.h"

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
