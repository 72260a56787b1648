#include "framework/JpegDecoder.h"
#include "framework/PictureDecoder.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>

using fw::JpegDecoder;
using fw::PictureDecoder;
using Format = fw::PictureDecoder::Format;

namespace {

QByteArray TestFile(const std::string& name) {
    return QByteArray::fromStdString(
        testsupport::ReadFile(std::string(STAMPORA_TESTDATA) + "/" + name));
}

QByteArray SmallJpeg() {
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(image);
    return bytes;
}

} // namespace

// --- format by signature

struct SniffCase {
    const char* file;
    const char* name;
    Format format;
};

class PictureDecoderSniff : public ::testing::TestWithParam<SniffCase> {};

TEST_P(PictureDecoderSniff, KnowsTheFormatByItsBytes) {
    const SniffCase c = GetParam();
    EXPECT_EQ(PictureDecoder::Sniff(TestFile(c.file), c.name), c.format) << c.file;
}

INSTANTIATE_TEST_SUITE_P(
    Files, PictureDecoderSniff,
    ::testing::Values(SniffCase{"quadrants.jpg", "", Format::Jpeg},
                      SniffCase{"quadrants.png", "x.jpg", Format::Png},
                      SniffCase{"quadrants.gif", "", Format::Gif},
                      SniffCase{"quadrants.bmp", "", Format::Bmp},
                      SniffCase{"quadrants.tif", "", Format::Tiff},
                      SniffCase{"quadrants.jp2", "", Format::Jpeg2000},
                      SniffCase{"quadrants.j2k", "", Format::Jpeg2000},
                      SniffCase{"quadrants.pict", "", Format::Pict},
                      SniffCase{"text.png", "text.png", Format::Unknown},
                      // Without a version opcode, only the name can say PICT.
                      SniffCase{"text.png", "text.PCT", Format::Pict},
                      SniffCase{"empty.jpg", "empty.jpg", Format::Unknown}));

TEST(PictureDecoder, DecodeNeverThrowsForJunk) {
    QByteArray junk;
    for (int i = 0; i < 4096; ++i) junk.append(static_cast<char>((i * 131 + 7) & 0xFF));
    for (const QByteArray& head : {QByteArray("\xFF\xD8\xFF", 3), QByteArray("\x89PNG\r\n\x1A\n", 8),
                                   QByteArray("GIF89a"), QByteArray("BM"), QByteArray("II*\0", 4),
                                   QByteArray("\xFF\x4F\xFF\x51", 4)}) {
        EXPECT_NO_THROW(EXPECT_EQ(PictureDecoder::Decode(head + junk, "junk.pict"), nullptr));
    }
}

// --- JPEG structure

TEST(JpegScan, CompleteStreamGivesItsFrameSize) {
    const JpegDecoder::Structure s = JpegDecoder::Scan(SmallJpeg());
    EXPECT_TRUE(s.complete);
    EXPECT_EQ(s.size, QSize(24, 16));
    EXPECT_EQ(s.components, 3);
}

TEST(JpegScan, EveryCutBeforeTheEndIsIncomplete) {
    const QByteArray jpeg = SmallJpeg();
    for (int length = 0; length < jpeg.size() - 1; ++length)
        ASSERT_FALSE(JpegDecoder::Scan(jpeg.left(length)).complete) << length;
    EXPECT_TRUE(JpegDecoder::Scan(jpeg).complete);
}

TEST(JpegScan, EndMarkerInsideAMetadataSegmentDoesNotEndTheStream) {
    // A thumbnail inside APP1 carries its own end-of-image; a scan that looked for
    // those bytes anywhere would take a truncated file for a complete one.
    const QByteArray jpeg = SmallJpeg();
    QByteArray app1("\xFF\xE1\x00\x08\xFF\xD8\xFF\xD9", 8);
    const QByteArray withThumb = jpeg.left(2) + app1 + jpeg.mid(2);
    EXPECT_TRUE(JpegDecoder::Scan(withThumb).complete);
    EXPECT_FALSE(JpegDecoder::Scan(withThumb.left(withThumb.size() - 10)).complete);
}

TEST(JpegScan, MalformedStructuresAreIncomplete) {
    // A segment length running past the data.
    EXPECT_FALSE(JpegDecoder::Scan(QByteArray("\xFF\xD8\xFF\xE0\x7F\xFF\x00\x00\xFF\xD9", 10)).complete);
    // No frame.
    EXPECT_FALSE(JpegDecoder::Scan(QByteArray("\xFF\xD8\xFF\xD9", 4)).complete);
    // A frame header but no scan.
    QByteArray frameOnly("\xFF\xD8\xFF\xC0\x00\x0B\x08\x00\x10\x00\x10\x01\x01\x11\x00\xFF\xD9", 17);
    const JpegDecoder::Structure s = JpegDecoder::Scan(frameOnly);
    EXPECT_FALSE(s.complete);
    EXPECT_EQ(s.size, QSize(16, 16));
}

