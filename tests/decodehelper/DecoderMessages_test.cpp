#include "tests/common/TestSupport.h"

#include "framework/graphics/DecodeHelper.h"

#include <algorithm>
#include <array>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

QByteArray Le(uint32_t v, int bytes) {
    QByteArray out(bytes, '\0');
    for (int i = 0; i < bytes; ++i) out[i] = char(v >> (8 * i));
    return out;
}

// An 8 x 8 grey-blue RGB TIFF whose directory also holds `unknown` tags that libtiff
// does not know and warns about, one line each. `pixelBytes` of the 192 its strip
// needs are in the file.
QByteArray TiffWithUnknownTags(int unknown, int pixelBytes = 8 * 8 * 3) {
    std::vector<std::array<uint32_t, 3>> tags = {{256, 3, 8}, {257, 3, 8}, {258, 3, 8}, {259, 3, 1}, {262, 3, 2},
                                                 {273, 4, 0}, {277, 3, 3}, {278, 3, 8}, {279, 4, 8 * 8 * 3}};
    for (int i = 0; i < unknown; ++i) tags.push_back({uint32_t(40000 + i), 3, uint32_t(i)});
    std::sort(tags.begin(), tags.end());
    const uint32_t pixelsAt = 8 + 2 + 12 * uint32_t(tags.size()) + 4;
    QByteArray out = QByteArray("II*\0", 4) + Le(8, 4) + Le(uint32_t(tags.size()), 2);
    for (const auto& [tag, type, value] : tags)
        out += Le(tag, 2) + Le(type, 2) + Le(1, 4) + Le(tag == 273 ? pixelsAt : value, 4);
    return out + Le(0, 4) + QByteArray(pixelBytes, '\x60');
}

// A JPEG with stray bytes before its second segment, which libjpeg skips with a
// warning.
QByteArray JpegWithStrayBytes() {
    QByteArray jpeg = testsupport::Encoded(testsupport::QuadrantImage());
    const qsizetype second = 4 + ((uchar(jpeg[4]) << 8) | uchar(jpeg[5]));
    return jpeg.insert(second, QByteArray(16, '\x01'));
}

// What the process, and the helpers it starts, write on standard error while it lives.
class StandardErrorCapture {
public:
    StandardErrorCapture() : saved_(::dup(STDERR_FILENO)), file_(::memfd_create("stderr", MFD_CLOEXEC)) {
        ::dup2(file_, STDERR_FILENO);
    }
    ~StandardErrorCapture() {
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        ::close(file_);
    }
    std::string Text() const {
        std::string text;
        char buffer[4096];
        for (ssize_t n; (n = ::pread(file_, buffer, sizeof buffer, off_t(text.size()))) > 0;)
            text.append(buffer, size_t(n));
        return text;
    }

private:
    int saved_;
    int file_;
};

TEST(DecoderMessages, ReachStandardErrorAsOneLinePerDecodeAtMost) {
    struct Row {
        const char* name;
        QByteArray bytes;
        bool opens;
        const char* says;   // nothing when the decoders are silent
    };
    const Row rows[] = {
        // Before, 16,324 lines (645 KB) per decode. The helper reads the directory
        // three times, and libtiff warns of each unknown tag each time.
        {"a TIFF of 4,081 unknown tags", TiffWithUnknownTags(4081), true,
         "12243 messages from the decoder, the first: TIFFReadDirectory: Unknown field with tag 40000 (0x9c40) "},
        {"a TIFF whose pixels are cut short", TiffWithUnknownTags(200, 10), false,
         "the first: TIFFReadDirectory: Unknown field with tag 40000 (0x9c40) "},
        {"a JPEG with stray bytes", JpegWithStrayBytes(), true,
         "2 messages from the decoder, the first: qt.gui.imageio.jpeg: Corrupt JPEG data: 16 extraneous bytes "},
        {"a sound PNG", testsupport::Encoded(testsupport::QuadrantImage(), "PNG"), true, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string said;
        fw::PictureRef picture;
        {
            const StandardErrorCapture capture;
            picture = fw::DecodeHelper::OpenBytes(row.bytes, {});
            said = capture.Text();
        }
        EXPECT_EQ(picture != nullptr, row.opens);
        if (!row.says) {
            EXPECT_EQ(said, "");
            continue;
        }
        EXPECT_EQ(said.rfind("stampora-decode: ", 0), 0u) << said;
        EXPECT_NE(said.find(row.says), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(said.back(), '\n');
        EXPECT_LT(said.size(), 512u);
    }
}

} // namespace
