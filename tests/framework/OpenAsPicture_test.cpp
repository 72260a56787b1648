#include "framework/FolderItem.h"
#include "framework/Graphics.h"
#include "framework/Picture.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QColorSpace>
#include <QImageWriter>
#include <QPainter>

#include <cstdlib>
#include <filesystem>
#include <string>

using fw::FolderItem;
using fw::Picture;
using fw::PictureRef;

namespace {

std::string TestData(const std::string& name) { return std::string(STAMPORA_TESTDATA) + "/" + name; }

PictureRef Open(const std::string& path) { return FolderItem::FromPath(path)->OpenAsPicture(); }

// Lossy formats move colours a little; the quadrant colours are far apart.
::testing::AssertionResult Near(QRgb actual, QRgb expected, int tolerance = 12) {
    const int d = std::max({std::abs(qRed(actual) - qRed(expected)),
                            std::abs(qGreen(actual) - qGreen(expected)),
                            std::abs(qBlue(actual) - qBlue(expected))});
    if (d <= tolerance) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << std::hex << "colour 0x" << (actual & 0xFFFFFF) << " is not near 0x"
           << (expected & 0xFFFFFF);
}

constexpr QRgb kRed = 0xFF0000, kLime = 0x00FF00, kBlue = 0x0000FF, kYellow = 0xFFFF00;

// Samples the middle of each quadrant: top left, top right, bottom left, bottom right.
void ExpectQuadrants(const QImage& image, QRgb tl, QRgb tr, QRgb bl, QRgb br) {
    const int w = image.width(), h = image.height();
    EXPECT_TRUE(Near(image.pixel(w / 4, h / 4), tl));
    EXPECT_TRUE(Near(image.pixel(3 * w / 4, h / 4), tr));
    EXPECT_TRUE(Near(image.pixel(w / 4, 3 * h / 4), bl));
    EXPECT_TRUE(Near(image.pixel(3 * w / 4, 3 * h / 4), br));
}

QImage QuadrantImage(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, w / 2, h / 2, QColor::fromRgb(kRed));
    painter.fillRect(w / 2, 0, w - w / 2, h / 2, QColor::fromRgb(kLime));
    painter.fillRect(0, h / 2, w / 2, h - h / 2, QColor::fromRgb(kBlue));
    painter.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, QColor::fromRgb(kYellow));
    return image;
}

QByteArray JpegBytes(const QImage& image, int quality = 90) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

// An APP1 segment holding only the orientation tag, placed right after SOI.
QByteArray WithOrientation(const QByteArray& jpeg, int orientation) {
    const unsigned char tiff[] = {'M', 'M', 0, 0x2A, 0, 0, 0, 8,   // header, IFD at 8
                                  0, 1,                            // one entry
                                  0x01, 0x12, 0, 3, 0, 0, 0, 1,    // orientation, SHORT, 1
                                  0, static_cast<unsigned char>(orientation), 0, 0,
                                  0, 0, 0, 0};                     // no next IFD
    QByteArray body("Exif\0\0", 6);
    body.append(reinterpret_cast<const char*>(tiff), sizeof tiff);
    QByteArray segment("\xFF\xE1", 2);
    segment.append(static_cast<char>((body.size() + 2) >> 8));
    segment.append(static_cast<char>((body.size() + 2) & 0xFF));
    segment.append(body);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

} // namespace

// --- the seven types

struct TypeCase {
    const char* file;
    int tolerance;
};

class OpenAsPictureTypes : public ::testing::TestWithParam<TypeCase> {};

TEST_P(OpenAsPictureTypes, OpensWithSizeAndColoursInPlace) {
    PictureRef p = Open(TestData(GetParam().file));
    ASSERT_NE(p, nullptr) << GetParam().file;
    EXPECT_EQ(p->Width(), 64);
    EXPECT_EQ(p->Height(), 48);
    EXPECT_TRUE(p->IsStandardForm());
    const QImage& image = p->Image();
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    const int t = GetParam().tolerance;
    EXPECT_TRUE(Near(image.pixel(16, 12), kRed, t));
    EXPECT_TRUE(Near(image.pixel(48, 12), kLime, t));
    EXPECT_TRUE(Near(image.pixel(16, 36), kBlue, t));
    EXPECT_TRUE(Near(image.pixel(48, 36), kYellow, t));
}

INSTANTIATE_TEST_SUITE_P(
    Files, OpenAsPictureTypes,
    ::testing::Values(TypeCase{"quadrants.png", 0}, TypeCase{"quadrants.jpg", 12},
                      TypeCase{"quadrants.gif", 0}, TypeCase{"quadrants.bmp", 0},
                      TypeCase{"quadrants.tif", 0}, TypeCase{"quadrants.pict", 0},
                      TypeCase{"quadrants.jp2", 0}, TypeCase{"quadrants.j2k", 0},
                      TypeCase{"quadrants16.png", 0}, TypeCase{"quadrants_cmyk.jpg", 16}));

// --- bad input

class OpenAsPictureRefuses : public ::testing::TestWithParam<const char*> {};

TEST_P(OpenAsPictureRefuses, GivesNil) { EXPECT_EQ(Open(TestData(GetParam())), nullptr); }

INSTANTIATE_TEST_SUITE_P(Files, OpenAsPictureRefuses,
                         ::testing::Values("empty.jpg", "truncated.jpg", "text.png",
                                           "huge_header.png", "corrupt.pict", "truncated.jp2",
                                           "no_such_file.jpg"));

TEST(OpenAsPicture, FolderGivesNil) {
    testsupport::ScratchDir dir;
    std::filesystem::create_directory(dir.File("pictures.jpg"));
    EXPECT_EQ(Open(dir.File("pictures.jpg")), nullptr);
}

TEST(OpenAsPicture, TruncatedLargeJpegGivesNil) {
    testsupport::ScratchDir dir;
    const QByteArray jpeg = JpegBytes(QuadrantImage(1800, 1200));
    for (double fraction : {0.3, 0.6, 0.95}) {
        const QByteArray cut = jpeg.left(static_cast<int>(jpeg.size() * fraction));
        const std::string path = dir.Write("cut.jpg", cut.toStdString());
        EXPECT_EQ(Open(path), nullptr) << fraction;
    }
}

TEST(OpenAsPicture, JpegWithGarbageAfterTheEndStillOpens) {
    testsupport::ScratchDir dir;
    const QByteArray jpeg = JpegBytes(QuadrantImage(40, 20)) + QByteArray(100, '\x17');
    PictureRef p = Open(dir.Write("tail.jpg", jpeg.toStdString()));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Width(), 40);
}

TEST(OpenAsPicture, AbsurdSizesAreRefusedBeforeDecoding) {
    // Under a limit below 64 x 48 every type refuses the quadrants.
    const int64_t saved = Picture::PixelLimit();
    Picture::SetPixelLimit(64 * 48 - 1);
    for (const char* file : {"quadrants.png", "quadrants.jpg", "quadrants.gif", "quadrants.bmp",
                             "quadrants.tif", "quadrants.pict", "quadrants.jp2"})
        EXPECT_EQ(Open(TestData(file)), nullptr) << file;
    Picture::SetPixelLimit(64 * 48);
    EXPECT_NE(Open(TestData("quadrants.png")), nullptr);
    Picture::SetPixelLimit(saved);
}

// --- particular pictures

TEST(OpenAsPicture, OnePixelPicturesOpen) {
    for (const char* file : {"one_pixel.png", "one_pixel.jpg"}) {
        PictureRef p = Open(TestData(file));
        ASSERT_NE(p, nullptr) << file;
        EXPECT_EQ(p->Width(), 1);
        EXPECT_EQ(p->Height(), 1);
        EXPECT_TRUE(Near(p->Image().pixel(0, 0), 0x336699, 6)) << file;
    }
}

TEST(OpenAsPicture, AnimatedGifGivesItsFirstFrame) {
    PictureRef p = Open(TestData("animated.gif"));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Width(), 16);
    EXPECT_TRUE(Near(p->Image().pixel(8, 8), kRed, 0));
}

TEST(OpenAsPicture, TransparentPartsShowWhite) {
    PictureRef p = Open(TestData("alpha.png"));
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(Near(p->Image().pixel(2, 4), 0xFFFFFF, 0));
    EXPECT_TRUE(Near(p->Image().pixel(12, 4), kBlue, 0));
}

TEST(OpenAsPicture, ContentDecidesTheTypeNotTheName) {
    testsupport::ScratchDir dir;
    const std::string png = testsupport::ReadFile(TestData("quadrants.png"));
    EXPECT_NE(Open(dir.Write("really_a_png.jpg", png)), nullptr);
    // PICT is known by its version opcode even without its extension.
    const std::string pict = testsupport::ReadFile(TestData("quadrants.pict"));
    EXPECT_NE(Open(dir.Write("stamp", pict)), nullptr);
}

// --- orientation tag

struct OrientationCase {
    const char* file;
    int width, height;
    QRgb tl, tr, bl, br;
};

class OpenAsPictureOrientation : public ::testing::TestWithParam<OrientationCase> {};

TEST_P(OpenAsPictureOrientation, IsHonoured) {
    const OrientationCase c = GetParam();
    PictureRef p = Open(TestData(c.file));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Width(), c.width);
    EXPECT_EQ(p->Height(), c.height);
    ExpectQuadrants(p->Image(), c.tl, c.tr, c.bl, c.br);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, OpenAsPictureOrientation,
    ::testing::Values(
        OrientationCase{"quadrants.jpg", 64, 48, kRed, kLime, kBlue, kYellow},
        OrientationCase{"orient2.jpg", 64, 48, kLime, kRed, kYellow, kBlue},     // mirrored
        OrientationCase{"orient3.jpg", 64, 48, kYellow, kBlue, kLime, kRed},     // half turn
        OrientationCase{"orient6.jpg", 48, 64, kBlue, kRed, kYellow, kLime},     // quarter, clockwise
        OrientationCase{"orient8.jpg", 48, 64, kLime, kYellow, kRed, kBlue}));   // quarter, anticlockwise

// --- large pictures decode lazily

TEST(OpenAsPictureLazy, LargeJpegKeepsItsSizeAndDrawsSmallWithoutFullDecode) {
    testsupport::ScratchDir dir;
    const std::string path = dir.Write("large.jpg", JpegBytes(QuadrantImage(2400, 1600)).toStdString());
    PictureRef p = Open(path);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Width(), 2400);
    EXPECT_EQ(p->Height(), 1600);
    EXPECT_FALSE(p->IsFullyDecoded());

    // The card's cover arithmetic: 2400 x 1600 drawn into 474 x 316.
    PictureRef cover = Picture::New(474, 316, 24);
    cover->GetGraphics().DrawPicture(p, 0, 0, 474, 316, 0, 0, 2400, 1600);
    EXPECT_FALSE(p->IsFullyDecoded());
    EXPECT_EQ(p->Width(), 2400);
    ExpectQuadrants(cover->Image(), kRed, kLime, kBlue, kYellow);

    EXPECT_EQ(p->Image().size(), QSize(2400, 1600));
    EXPECT_TRUE(p->IsFullyDecoded());
    ExpectQuadrants(p->Image(), kRed, kLime, kBlue, kYellow);
}

TEST(OpenAsPictureLazy, OrientationAppliesToTheLazySizeAndPixels) {
    testsupport::ScratchDir dir;
    const QByteArray jpeg = WithOrientation(JpegBytes(QuadrantImage(2400, 1600)), 6);
    PictureRef p = Open(dir.Write("turned.jpg", jpeg.toStdString()));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Width(), 1600);
    EXPECT_EQ(p->Height(), 2400);
    PictureRef small = Picture::New(160, 240, 24);
    small->GetGraphics().DrawPicture(p, 0, 0, 160, 240, 0, 0, 1600, 2400);
    EXPECT_FALSE(p->IsFullyDecoded());
    ExpectQuadrants(small->Image(), kBlue, kRed, kYellow, kLime);
    ExpectQuadrants(p->Image(), kBlue, kRed, kYellow, kLime);
}

TEST(OpenAsPictureLazy, LargeJpeg2000DecodesAtAReducedResolution) {
    PictureRef p = Open(TestData("large_quadrants.jp2"));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Width(), 2000);
    EXPECT_EQ(p->Height(), 1200);
    EXPECT_FALSE(p->IsFullyDecoded());
    PictureRef cover = Picture::New(526, 316, 24);
    cover->GetGraphics().DrawPicture(p, 0, 0, 526, 316, 0, 0, 2000, 1200);
    EXPECT_FALSE(p->IsFullyDecoded());
    ExpectQuadrants(cover->Image(), kRed, kLime, kBlue, kYellow);
    EXPECT_EQ(p->Image().size(), QSize(2000, 1200));
    ExpectQuadrants(p->Image(), kRed, kLime, kBlue, kYellow);
}

// --- saving

TEST(SaveAsJPEG, WritesAJpegThatOpensAgain) {
    testsupport::ScratchDir dir;
    PictureRef card = Picture::New(640, 316, 24);
    card->Image() = QuadrantImage(640, 316);
    auto file = FolderItem::FromPath(dir.File("card.jpg"));
    ASSERT_TRUE(file->SaveAsJPEG(card));
    PictureRef back = file->OpenAsPicture();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Width(), 640);
    EXPECT_EQ(back->Height(), 316);
    ExpectQuadrants(back->Image(), kRed, kLime, kBlue, kYellow);
}

TEST(SaveAsJPEG, UsesQualityNinety) {
    testsupport::ScratchDir dir;
    auto file = FolderItem::FromPath(dir.File("card.jpg"));
    ASSERT_TRUE(file->SaveAsJPEG(Picture::New(16, 16, 24)));
    const std::string bytes = testsupport::ReadFile(file->AbsolutePath());
    // The first quantisation value of the luminance table: 16 in the standard table,
    // scaled to (16 * 20 + 50) / 100 = 3 at quality 90 (8 at 75, 1 at 95).
    const auto dqt = bytes.find("\xFF\xDB");
    ASSERT_NE(dqt, std::string::npos);
    EXPECT_EQ(static_cast<unsigned char>(bytes[dqt + 5]), 3);
}

TEST(SaveAsJPEG, NilPictureOrUnwritablePlaceFails) {
    testsupport::ScratchDir dir;
    EXPECT_FALSE(FolderItem::FromPath(dir.File("x.jpg"))->SaveAsJPEG(nullptr));
    EXPECT_FALSE(FolderItem::FromPath(dir.File("missing/x.jpg"))->SaveAsJPEG(Picture::New(2, 2, 24)));
}

// --- colour profiles

struct ProfileCase {
    const char* format;
    bool tagged;
    QRgb expected;
};

class OpenAsPictureProfile : public ::testing::TestWithParam<ProfileCase> {};

// Adobe RGB (200, 100, 50) is sRGB (227, 100, 42), worked out by hand from the two
// spaces' primaries and curves; an untagged photo keeps its values.
TEST_P(OpenAsPictureProfile, EmbeddedProfileIsConvertedToSrgb) {
    const ProfileCase c = GetParam();
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(qRgb(200, 100, 50));
    if (c.tagged) image.setColorSpace(QColorSpace::AdobeRgb);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, c.format);
    writer.setQuality(100);
    ASSERT_TRUE(writer.write(image));
    testsupport::ScratchDir dir;
    PictureRef p = Open(dir.Write(std::string("photo.") + c.format, bytes.toStdString()));
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(Near(p->Image().pixel(4, 4), c.expected, 3)) << c.format << c.tagged;
}

INSTANTIATE_TEST_SUITE_P(Formats, OpenAsPictureProfile,
                         ::testing::Values(ProfileCase{"png", true, qRgb(227, 100, 42)},
                                           ProfileCase{"jpeg", true, qRgb(227, 100, 42)},
                                           ProfileCase{"tiff", true, qRgb(227, 100, 42)},
                                           ProfileCase{"png", false, qRgb(200, 100, 50)}));
