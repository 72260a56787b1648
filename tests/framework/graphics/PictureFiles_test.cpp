#include "framework/core/FolderItem.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/JpegDecoder.h"
#include "framework/graphics/Picture.h"
#include "framework/graphics/PictureDecoder.h"
#include "framework/graphics/PngDecoder.h"

#include "tests/common/TestSupport.h"
#include "tests/fuzz/DecodeOne.h"

#include <QColorSpace>
#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QPainter>

#include <array>
#include <functional>
#include <string>
#include <vector>

using fw::FolderItem;
using fw::JpegDecoder;
using fw::Picture;
using fw::PictureDecoder;
using fw::PictureRef;
using Format = fw::PictureDecoder::Format;

namespace {

std::string TestData(const std::string& name) { return std::string(STAMPORA_TESTDATA) + "/" + name; }
QByteArray TestBytes(const std::string& name) { return QByteArray::fromStdString(testsupport::ReadFile(TestData(name))); }
PictureRef Open(const std::string& path) { return FolderItem::FromPath(path)->OpenAsPicture(); }

using namespace testsupport;   // Near, the quadrant colours and pictures, Encoded
using Quad = std::array<QRgb, 4>;   // top left, top right, bottom left, bottom right
constexpr Quad kUpright = {kRed, kLime, kBlue, kYellow};

// Compares the middle of each quadrant.
::testing::AssertionResult HasQuadrants(const QImage& image, Quad expected) {
    const int w = image.width(), h = image.height();
    const QPoint at[] = {{w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
    for (int i = 0; i < 4; ++i)
        if (auto near = Near(image.pixel(at[i]), expected[size_t(i)]); !near)
            return near << " at " << at[i].x() << "," << at[i].y();
    return ::testing::AssertionSuccess();
}

// A version 2 PICT of `image` as image editors write one: a single DirectBitsRect of
// 32-bit pixels over the whole frame, each row its red, green and blue planes in
// literal runs; `before` is opcodes ahead of it.
QByteArray PictOf(const QImage& image, const QByteArray& before = {}) {
    const auto word = [](int v) { return QByteArray(1, char((v >> 8) & 0xFF)) + char(v & 0xFF); };
    const int w = image.width(), h = image.height();
    const QByteArray rect = word(0) + word(0) + word(h) + word(w);
    QByteArray out = QByteArray(512, '\0') + word(0) + rect + QByteArray::fromHex("001102ff0c00fffe0000") +
                     QByteArray(8, '\0') + rect + QByteArray(4, '\0') + QByteArray::fromHex("0001000a") + rect + before +
                     QByteArray::fromHex("009a000000ff") + word(0x8000 | (w * 4)) + rect +
                     QByteArray::fromHex("00000004") + QByteArray(12, '\0') + QByteArray::fromHex("0010002000030008") +
                     QByteArray(12, '\0') + rect + rect + word(0x40);
    for (int y = 0; y < h; ++y) {
        QByteArray planes;
        for (int shift : {16, 8, 0})
            for (int x = 0; x < w; ++x) planes += char((image.pixel(x, y) >> shift) & 0xFF);
        QByteArray packed;
        for (qsizetype at = 0; at < planes.size(); at += 128) {
            const qsizetype n = std::min<qsizetype>(128, planes.size() - at);
            packed += char(n - 1) + planes.mid(at, n);
        }
        out += (w * 3 > 200 ? word(int(packed.size())) : QByteArray(1, char(packed.size()))) + packed;
    }
    if (out.size() % 2) out += '\0';
    return out + QByteArray::fromHex("00ff");
}

// An APP1 segment holding only the orientation tag, placed right after SOI.
QByteArray WithOrientation(const QByteArray& jpeg, char orientation) {
    const QByteArray body = QByteArray("Exif\0\0MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0", 25) + orientation +
                            QByteArray(6, '\0');
    return jpeg.left(2) + QByteArray("\xFF\xE1\0", 3) + char(body.size() + 2) + body + jpeg.mid(2);
}

} // namespace

// --- pictures in memory

TEST(Picture, NewIsWhiteAtTheAskedSizeRefusesAbsurdSizesAndTransparencyLiesOverWhite) {
    PictureRef p = Picture::New(7, 5, 24);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::tuple(p->Image().size(), p->Image().format(), RgbAt(p, 6, 4)), std::tuple(QSize(7, 5), QImage::Format_RGB32, 0xFFFFFFu));
    for (auto [w, h] : {std::pair{0, 10}, {10, -1}, {100000, 100000}}) EXPECT_EQ(Picture::New(w, h, 32), nullptr) << w;
    const int64_t saved = Picture::PixelLimit();
    Picture::SetPixelLimit(100);
    EXPECT_TRUE(!Picture::New(11, 10, 32) && Picture::New(10, 10, 32));
    Picture::SetPixelLimit(saved);
    // An image with transparency, as the clipboard or a drop hands it over, lies over white.
    QImage argb(2, 1, QImage::Format_ARGB32);
    argb.setPixel(0, 0, qRgba(255, 0, 0, 0)), argb.setPixel(1, 0, qRgba(0, 0, 255, 255));
    p = std::make_shared<Picture>(argb);
    EXPECT_EQ(std::tuple(p->Image().format(), RgbAt(p, 0, 0), RgbAt(p, 1, 0)),
              std::tuple(QImage::Format_RGB32, 0xFFFFFFu, 0x0000FFu));
}

// The mask is made, black so the picture stays opaque, only when asked, and then kept; it gives the
// composite and every drawing of the picture their alpha, and its changes show the next time.
TEST(Picture, MaskGivesTheCompositeAndEachDrawingTheirAlphaAndFollowsEveryChange) {
    PictureRef p = Picture::New(3, 1, 32);
    p->Image().fill(QColor(200, 100, 50));
    EXPECT_TRUE(!p->Mask(false) && !p->HasMask());
    PictureRef mask = p->Mask(true);
    ASSERT_TRUE(mask && p->HasMask() && p->Mask(false) == mask);
    EXPECT_EQ(QSize(mask->Width(), mask->Height()), QSize(3, 1));
    mask->Image().setPixel(1, 0, qRgb(255, 255, 255));
    mask->Image().setPixel(2, 0, qRgb(128, 128, 128));
    const QImage c = p->Composited();
    EXPECT_EQ(std::vector<int>({qAlpha(c.pixel(0, 0)), qAlpha(c.pixel(1, 0)), qAlpha(c.pixel(2, 0)), qRed(c.pixel(0, 0))}),
              std::vector<int>({255, 0, 127, 200}));
    PictureRef target = SolidPicture(3, 1, kLime);
    target->GetGraphics().DrawPicture(p, 0, 0);
    EXPECT_EQ(std::pair(RgbAt(target, 0, 0), RgbAt(target, 1, 0)), std::pair(0xC86432u, kLime));
    EXPECT_TRUE(Near(target->Image().pixel(2, 0), qRgb(100, 178, 25), 2));   // half way: about half of each
    // Changes through either picture's graphics show in the next composite and the next drawing.
    mask->GetGraphics().ClearRect(2, 0, 1, 1);
    EXPECT_EQ(qAlpha(p->Composited().pixel(2, 0)), 0);
    p->GetGraphics().ForeColor = kBlue;
    p->GetGraphics().FillRect(0, 0, 3, 1);
    target = SolidPicture(3, 1, kLime);
    target->GetGraphics().DrawPicture(p, 0, 0);
    EXPECT_EQ(std::tuple(p->Composited().pixel(0, 0), RgbAt(target, 0, 0), RgbAt(target, 2, 0)),
              std::tuple(0xFF0000FFu, kBlue, kLime));
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

// --- what the bytes are

TEST(PictureDecoder, KnowsTheFormatByItsBytes) {
    // The decoders would also take a mislabelled type: only this table sees the sniffed one.
    const struct { const char* file; const char* name; Format format; } rows[] = {
        {"quadrants.jpg", "", Format::Jpeg},     {"quadrants.png", "x.jpg", Format::Png}, {"quadrants.gif", "", Format::Gif},
        {"quadrants.bmp", "", Format::Bmp},      {"quadrants.tif", "", Format::Tiff},     {"quadrants.jp2", "", Format::Jpeg2000},
        {"quadrants_mm.tif", "", Format::Tiff},   // big-endian
        {"quadrants.j2k", "", Format::Jpeg2000}, {"quadrants.pict", "", Format::Pict},
        {"text.png", "text.png", Format::Unknown}, {"empty.jpg", "empty.jpg", Format::Unknown},
        {"text.png", "text.PCT", Format::Pict},   // without a version opcode only the name says PICT
    };
    for (const auto& row : rows) EXPECT_EQ(PictureDecoder::Sniff(TestBytes(row.file), row.name), row.format) << row.file;
}

TEST(JpegScan, OnlyAWholeStreamWithFrameAndScanIsComplete) {
    const QByteArray jpeg = Encoded(QuadrantImage(24, 16));
    // A thumbnail inside APP1 carries its own end-of-image, which must not end the scan.
    const QByteArray thumb = jpeg.left(2) + QByteArray("\xFF\xE1\x00\x08\xFF\xD8\xFF\xD9", 8) + jpeg.mid(2);
    const struct { const char* why; QByteArray bytes; bool complete; QSize size; } rows[] = {
        {"whole", jpeg, true, {24, 16}},
        {"thumbnail inside", thumb, true, {24, 16}},
        {"thumbnail inside, cut", thumb.left(thumb.size() - 10), false, {24, 16}},
        {"trailing garbage", jpeg + QByteArray(100, '\x17'), true, {24, 16}},
        {"segment past the data", QByteArray("\xFF\xD8\xFF\xE0\x7F\xFF\x00\x00\xFF\xD9", 10), false, {}},
        {"no frame", QByteArray("\xFF\xD8\xFF\xD9", 4), false, {}},
        {"frame, no scan", QByteArray("\xFF\xD8\xFF\xC0\x00\x0B\x08\x00\x10\x00\x10\x01\x01\x11\x00\xFF\xD9", 17), false, {16, 16}},
    };
    for (const auto& row : rows) {
        const JpegDecoder::Structure s = JpegDecoder::Scan(row.bytes);
        EXPECT_TRUE(s.complete == row.complete && (!row.size.isValid() || s.size == row.size)) << row.why;
    }
    EXPECT_EQ(JpegDecoder::Scan(jpeg).components, 3);
    for (int length = 0; length < jpeg.size() - 1; ++length)
        ASSERT_FALSE(JpegDecoder::Scan(jpeg.left(length)).complete) << length;
}

// --- opening

TEST(OpenAsPicture, EveryTypeOpensInStandardFormWithItsColoursInPlace) {
    const std::vector<QPoint> quads = {{16, 12}, {48, 12}, {16, 36}, {48, 36}}, tall = {{12, 16}, {36, 16}, {12, 48}, {36, 48}};
    const std::vector<QRgb> upright(kUpright.begin(), kUpright.end());
    const struct { const char* file; int tolerance; QSize size; std::vector<QPoint> at; std::vector<QRgb> colours; } rows[] = {
        {"quadrants.png", 0, {64, 48}, quads, upright},        {"quadrants.jpg", 12, {64, 48}, quads, upright},
        {"quadrants.gif", 0, {64, 48}, quads, upright},        {"quadrants.bmp", 0, {64, 48}, quads, upright},
        {"quadrants.tif", 0, {64, 48}, quads, upright},        {"quadrants.pict", 0, {64, 48}, quads, upright},
        {"quadrants.jp2", 0, {64, 48}, quads, upright},        {"quadrants.j2k", 0, {64, 48}, quads, upright},
        {"quadrants16.png", 0, {64, 48}, quads, upright},      {"quadrants_cmyk.jpg", 16, {64, 48}, quads, upright},
        // TIFF big-endian, tiled, in separate planes, as subsampled JPEG, at 16 bits, of floats, turned, with alpha.
        {"quadrants_mm.tif", 0, {64, 48}, quads, upright},     {"quadrants_tiled.tif", 0, {64, 48}, quads, upright},
        {"quadrants_planes.tif", 0, {64, 48}, quads, upright}, {"quadrants_jpeg.tif", 12, {64, 48}, quads, upright},
        {"quadrants16.tif", 0, {64, 48}, quads, upright},      {"quadrants_float.tif", 0, {64, 48}, quads, upright},
        {"orient6.tif", 0, {48, 64}, tall, {kBlue, kRed, kYellow, kLime}},
        {"alpha.tif", 0, {16, 8}, {{2, 4}, {12, 4}}, {0xFFFFFF, kBlue}},
        {"one_pixel.png", 6, {1, 1}, {{0, 0}}, {0x336699}},    {"one_pixel.jpg", 6, {1, 1}, {{0, 0}}, {0x336699}},
        {"animated.gif", 0, {16, 16}, {{8, 8}}, {kRed}},       // the first frame
        {"alpha.png", 0, {16, 8}, {{2, 4}, {12, 4}}, {0xFFFFFF, kBlue}},   // transparent parts show white
        // Samples of 1 and 4 bits stretch to the whole 0 to 255.
        {"gray1.jp2", 0, {3, 2}, {{0, 0}, {1, 0}, {0, 1}, {2, 1}}, {0xFFFFFF, 0, 0, 0xFFFFFF}},
        {"gray4.jp2", 0, {3, 2}, {{0, 0}, {1, 0}, {2, 0}, {0, 1}}, {0xFFFFFF, 0, 0x555555, 0xAAAAAA}},
        {"orient2.jpg", 12, {64, 48}, quads, {kLime, kRed, kYellow, kBlue}},   // the orientation tag: mirrored,
        {"orient3.jpg", 12, {64, 48}, quads, {kYellow, kBlue, kLime, kRed}},   // half turn,
        {"orient6.jpg", 12, {48, 64}, tall, {kBlue, kRed, kYellow, kLime}},    // quarter clockwise
        {"orient8.jpg", 12, {48, 64}, tall, {kLime, kYellow, kRed, kBlue}},    // and anticlockwise
    };
    for (const auto& row : rows) {
        PictureRef p = Open(TestData(row.file));
        ASSERT_NE(p, nullptr) << row.file;
        EXPECT_EQ(std::tuple(QSize(p->Width(), p->Height()), p->IsStandardForm(), p->Image().format()),
                  std::tuple(row.size, true, QImage::Format_RGB32)) << row.file;
        for (size_t i = 0; i < row.at.size(); ++i)
            EXPECT_TRUE(Near(p->Image().pixel(row.at[i]), row.colours[i], row.tolerance)) << row.file << " " << i;
    }
}

// Decoded reduced, each output pixel averages a block; the last, partial blocks at the
// right and the bottom (here one column and three rows, all blue) average only the
// pixels they have, and the white stays white.
TEST(PngDecoder, AReducedOddSizedPictureKeepsItsColoursToItsLastPartialBands) {
    QImage photo(1001, 603, QImage::Format_RGB32);
    photo.fill(Qt::white);
    QPainter(&photo).fillRect(QRect(1000, 0, 1, 600), Qt::blue);
    QPainter(&photo).fillRect(QRect(0, 600, 1001, 3), Qt::blue);
    PictureRef p = fw::PngDecoder::Open(Encoded(photo, "PNG"), {200, 120});
    ASSERT_NE(p, nullptr);
    const QImage reduced = p->PixelsForScale(0.2, 0.2).image.convertToFormat(QImage::Format_RGB32);
    QImage expected(reduced.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    QPainter(&expected).fillRect(QRect(expected.width() - 1, 0, 1, expected.height()), Qt::blue);
    QPainter(&expected).fillRect(QRect(0, expected.height() - 1, expected.width(), 1), Qt::blue);
    EXPECT_LT(reduced.width(), 1001);
    EXPECT_TRUE(reduced == expected);
}

// A large PICT reaches ImageMagick in bands of rows, or whole when other opcodes come
// first; either way every row lands where it belongs, the rows at the bands' edges too.
// One too tall for the coder's memory whole is refused unless it can go in bands.
TEST(OpenAsPicture, APictInBandsKeepsEveryRowInPlace) {
    const auto pattern = [](int w, int h) {
        QImage image(w, h, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x % 256, y % 256, (x + 3 * y) % 256));
        return image;
    };
    const QImage image = pattern(300, 800), tall = pattern(70, 4100);
    testsupport::ScratchDir dir;
    const struct { const char* why; QByteArray bytes; QImage expected; } rows[] = {
        {"bands", PictOf(image), image},
        {"whole, a font opcode first", PictOf(image, QByteArray::fromHex("00030000")), image},
        // Rows of 210 bytes, just past where a row's packed length takes two bytes.
        {"tall, in bands", PictOf(tall), tall},
        {"tall, whole", PictOf(tall, QByteArray::fromHex("00030000")), QImage()},
    };
    for (const auto& row : rows) {
        PictureRef p = Open(dir.Write("rows.pict", row.bytes.toStdString()));
        if (row.expected.isNull()) {
            EXPECT_EQ(p, nullptr) << row.why;
            continue;
        }
        ASSERT_NE(p, nullptr) << row.why;
        EXPECT_TRUE(p->Image() == row.expected) << row.why;
    }
    // Indexed colours in bands, against the same file decoded whole (a font opcode
    // put before its pixmap keeps it in one piece).
    QByteArray indexed = TestBytes("palette_rows.pict");
    PictureRef bands = Open(dir.Write("bands.pict", indexed.toStdString()));
    const qsizetype pixmap = indexed.indexOf(QByteArray::fromHex("009880c8"));
    ASSERT_GT(pixmap, 0);
    indexed.insert(pixmap, QByteArray::fromHex("00030000"));
    PictureRef whole = Open(dir.Write("whole.pict", indexed.toStdString()));
    ASSERT_TRUE(bands && whole);
    EXPECT_TRUE(bands->Image() == whole->Image());
}

// Decoded reduced for the area they cover, TIFF and PICT keep their colours, and a
// turned TIFF is reduced by its stored size and then turned.
TEST(PictureDecoder, TiffAndPictDecodeReducedForTheirCoverArea) {
    QByteArray turned;
    QBuffer buffer(&turned);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "tiff");
    writer.setTransformation(QImageIOHandler::TransformationRotate90);
    ASSERT_TRUE(writer.write(QuadrantImage(1200, 800)));
    const struct { const char* why; QByteArray bytes; QSize cover, natural, reduced; Quad colours; } rows[] = {
        {"TIFF", Encoded(QuadrantImage(1200, 800), "tiff"), {240, 100}, {1200, 800}, {240, 160}, kUpright},
        {"turned TIFF", turned, {160, 100}, {800, 1200}, {160, 240}, {kBlue, kRed, kYellow, kLime}},
        {"PICT", PictOf(QuadrantImage(1200, 800)), {240, 100}, {1200, 800}, {240, 160}, kUpright},
    };
    for (const auto& row : rows) {
        PictureRef p = PictureDecoder::Decode(row.bytes, {}, row.cover);
        ASSERT_NE(p, nullptr) << row.why;
        const QImage reduced = p->PixelsForScale(0.2, 0.2).image;
        EXPECT_EQ(std::pair(QSize(p->Width(), p->Height()), reduced.size()), std::pair(row.natural, row.reduced)) << row.why;
        EXPECT_TRUE(HasQuadrants(reduced, row.colours)) << row.why;
        // Stretched to fill an area twice as tall for its width: reduced by half, the
        // most that still covers the taller side, and not decoded whole.
        EXPECT_EQ(p->PixelsForScale(0.2, 0.4).image.size(), row.natural / 2) << row.why;
    }
}

TEST(OpenAsPicture, BadOrAbsurdInputGivesNil) {
    for (const char* file : {"empty.jpg", "truncated.jpg", "text.png", "huge_header.png", "corrupt.pict",
                             "truncated.jp2", "no_such_file.jpg", "."})   // "." is a folder
        EXPECT_EQ(Open(TestData(file)), nullptr) << file;
    testsupport::ScratchDir dir;
    const QByteArray large = Encoded(QuadrantImage(1800, 1200));
    for (double fraction : {0.3, 0.6, 0.95})
        EXPECT_EQ(Open(dir.Write("cut.jpg", large.left(int(large.size() * fraction)).toStdString())), nullptr) << fraction;

    // Under a limit below 64 x 48 every type refuses the quadrants before decoding.
    const int64_t saved = Picture::PixelLimit();
    Picture::SetPixelLimit(64 * 48 - 1);
    for (const char* file : {"quadrants.png", "quadrants.jpg", "quadrants.gif", "quadrants.bmp", "quadrants.tif",
                             "quadrants.pict", "quadrants.jp2"})
        EXPECT_EQ(Open(TestData(file)), nullptr) << file;
    Picture::SetPixelLimit(64 * 48);
    EXPECT_NE(Open(TestData("quadrants.png")), nullptr);
    Picture::SetPixelLimit(saved);

    // A turned TIFF's result is held twice while it turns: this one's result, its
    // rows and its own bytes pass the budget, though the first two alone leave 32
    // bytes of it.
    QImage grey(8160, 8223, QImage::Format_Grayscale8);
    grey.fill(0);
    QByteArray turned;
    QBuffer buffer(&turned);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "tiff");
    writer.setTransformation(QImageIOHandler::TransformationRotate180);
    writer.setCompression(1);   // LZW
    ASSERT_TRUE(writer.write(grey));
    EXPECT_EQ(PictureDecoder::Decode(turned), nullptr) << turned.size();
}

// Large JPEG and JPEG 2000 photos keep their size, draw small from a reduced decode,
// and decode in full only when their pixels are asked for.
TEST(OpenAsPicture, LargePhotosDecodeLazily) {
    testsupport::ScratchDir dir;
    const QByteArray large = Encoded(QuadrantImage(2400, 1600));
    const struct { std::string path; QSize size; Quad colours; } rows[] = {
        {dir.Write("large.jpg", large.toStdString()), {2400, 1600}, kUpright},
        {dir.Write("turned.jpg", WithOrientation(large, 6).toStdString()), {1600, 2400}, {kBlue, kRed, kYellow, kLime}},
        {TestData("large_quadrants.jp2"), {2000, 1200}, kUpright},
    };
    for (const auto& row : rows) {
        PictureRef p = Open(row.path);
        ASSERT_NE(p, nullptr) << row.path;
        EXPECT_TRUE(QSize(p->Width(), p->Height()) == row.size && !p->IsFullyDecoded());
        PictureRef cover = Picture::New(row.size.width() / 5, row.size.height() / 5, 24);
        cover->GetGraphics().DrawPicture(p, 0, 0, cover->Width(), cover->Height(), 0, 0, p->Width(), p->Height());
        EXPECT_FALSE(p->IsFullyDecoded()) << row.path;
        EXPECT_TRUE(HasQuadrants(cover->Image(), row.colours));
        EXPECT_TRUE(p->Image().size() == row.size && p->IsFullyDecoded());
        EXPECT_TRUE(HasQuadrants(p->Image(), row.colours));
    }
}

// Adobe RGB (200, 100, 50) is sRGB (227, 100, 42), worked out by hand from the two
// spaces' primaries and curves; an untagged photo keeps its values.
TEST(OpenAsPicture, EmbeddedProfilesAreConvertedToSrgb) {
    const struct { const char* format; bool tagged; QRgb expected; } rows[] = {
        {"png", true, qRgb(227, 100, 42)}, {"jpeg", true, qRgb(227, 100, 42)},
        {"tiff", true, qRgb(227, 100, 42)}, {"png", false, qRgb(200, 100, 50)}};
    testsupport::ScratchDir dir;
    for (const auto& row : rows) {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(qRgb(200, 100, 50));
        if (row.tagged) image.setColorSpace(QColorSpace::AdobeRgb);
        PictureRef p = Open(dir.Write(std::string("photo.") + row.format, Encoded(image, row.format, 100).toStdString()));
        ASSERT_NE(p, nullptr) << row.format;
        EXPECT_TRUE(Near(p->Image().pixel(4, 4), row.expected, 3)) << row.format << row.tagged;
    }
}

// Half-transparent pixels lie over white alike whether the decoder hands them over
// premultiplied (libtiff) or not (libpng): (200, 100, 50) at alpha 128 shows as
// (200 * 128 + 255 * 127) / 255 and so on, worked out by hand.
TEST(OpenAsPicture, HalfTransparentPixelsLieOverWhiteWhateverTheDecoder) {
    QImage image(6, 4, QImage::Format_ARGB32);
    image.fill(qRgba(200, 100, 50, 128));
    for (const char* format : {"png", "tiff"}) {
        PictureRef p = PictureDecoder::Decode(Encoded(image, format, 100));
        ASSERT_NE(p, nullptr) << format;
        EXPECT_TRUE(Near(p->Image().pixel(3, 2), qRgb(227, 177, 152), 2)) << format;
    }
}

// --- saving

// That it reads back as the card, the end-to-end session checks with each card it saves.
TEST(SaveAsJPEG, WritesAQualityNinetyJpeg) {
    testsupport::ScratchDir dir;
    PictureRef card = Picture::New(640, 316, 24);
    card->Image() = QuadrantImage(640, 316);
    auto file = FolderItem::FromPath(dir.File("card.jpg"));
    ASSERT_TRUE(file->SaveAsJPEG(card));
    // The first luminance quantisation value: 16 in the standard table, scaled to
    // (16 * 20 + 50) / 100 = 3 at quality 90 (8 at 75, 1 at 95).
    const std::string bytes = testsupport::ReadFile(file->AbsolutePath());
    const auto dqt = bytes.find("\xFF\xDB");
    ASSERT_NE(dqt, std::string::npos);
    EXPECT_EQ(static_cast<unsigned char>(bytes[dqt + 5]), 3);

    EXPECT_FALSE(FolderItem::FromPath(dir.File("x.jpg"))->SaveAsJPEG(nullptr));
    EXPECT_FALSE(FolderItem::FromPath(dir.File("missing/x.jpg"))->SaveAsJPEG(Picture::New(2, 2, 24)));
}

// A caption's thin strokes keep their colour only when the chroma is not subsampled:
// at 4:2:0 a one-pixel pure red line on white comes back as a dull (176,29,35).
TEST(SaveAsJPEG, KeepsEveryColourComponentAtFullResolution) {
    testsupport::ScratchDir dir;
    PictureRef card = Picture::New(640, 316, 24);
    for (const int x : {101, 203, 204})   // a one-pixel and a two-pixel stroke
        for (int y = 40; y < 80; ++y) card->Image().setPixel(x, y, kRed);
    auto file = FolderItem::FromPath(dir.File("card.jpg"));
    ASSERT_TRUE(file->SaveAsJPEG(card));

    // The frame header (SOF0) names each component's sampling factors: 1x1 for all three.
    const std::string bytes = testsupport::ReadFile(file->AbsolutePath());
    size_t at = 2;
    while (at + 4 <= bytes.size() && static_cast<unsigned char>(bytes[at + 1]) != 0xC0)
        at += 2 + (static_cast<unsigned char>(bytes[at + 2]) << 8 | static_cast<unsigned char>(bytes[at + 3]));
    ASSERT_LT(at + 10, bytes.size()) << "no baseline frame header";
    const int components = static_cast<unsigned char>(bytes[at + 9]);
    ASSERT_EQ(components, 3);
    for (int c = 0; c < components; ++c)
        EXPECT_EQ(static_cast<unsigned char>(bytes[at + 11 + 3 * size_t(c)]), 0x11) << "component " << c;

    const QImage back(QString::fromStdString(file->AbsolutePath()));
    ASSERT_EQ(back.size(), QSize(640, 316));
    for (const QPoint p : {QPoint(101, 60), QPoint(203, 60), QPoint(204, 41)})
        EXPECT_TRUE(Near(back.pixel(p), kRed, 20)) << p.x() << "," << p.y();
    EXPECT_TRUE(Near(back.pixel(150, 60), 0xFFFFFF, 4));
}

// Qt pads rows of three-byte pixels to whole 32-bit words; at widths where it must,
// every row still starts where it belongs.
TEST(SaveAsJPEG, EveryRowKeepsItsPlaceAtAnyWidth) {
    testsupport::ScratchDir dir;
    for (const int width : {641, 1, 2, 3}) {
        PictureRef card = Picture::New(width, 24, 24);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < width; ++x) card->Image().setPixel(x, y, qRgb(x * 255 / width, y * 10, 250 - y * 10));
        auto file = FolderItem::FromPath(dir.File("card.jpg"));
        ASSERT_TRUE(file->SaveAsJPEG(card)) << width;
        const QImage back(QString::fromStdString(file->AbsolutePath()));
        ASSERT_EQ(back.size(), QSize(width, 24));
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_TRUE(Near(back.pixel(x, y), card->Image().pixel(x, y))) << width << " wide, at " << x << "," << y;
    }
}

// Every input the fuzzer keeps, through the decoder with the fuzzer's own checks, so
// that each ordinary build (GCC included) covers the corpus: its broken files of every
// format are refused without a throw.
TEST(FuzzCorpus, EveryInputDecodesOrIsRefusedCleanly) {
    const QDir corpus(STAMPORA_TESTDATA "/../../../fuzz/corpus");
    const QStringList names = corpus.entryList(QDir::Files);
    ASSERT_GT(names.size(), 100);
    const int64_t saved = fw::Picture::PixelLimit();
    fw::Picture::SetPixelLimit(kFuzzPixelLimit);
    for (const QString& name : names) {
        const std::string bytes = testsupport::ReadFile(corpus.filePath(name).toStdString());
        EXPECT_TRUE(DecodeOne(QByteArray::fromStdString(bytes))) << name.toStdString();
    }
    fw::Picture::SetPixelLimit(saved);
}
