#include "framework/graphics/PictDecoder.h"

#include "framework/core/NumberRules.h"

#include <Magick++.h>

#include <cstdlib>
#include <mutex>

namespace fw {

namespace {

constexpr int kPreamble = 512;

int16_t Read16(const QByteArray& bytes, int at) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + at;
    return static_cast<int16_t>((p[0] << 8) | p[1]);
}

// Version 1 pictures start with the opcode 0x1101, version 2 with 0x0011 0x02FF.
bool VersionAt(const QByteArray& bytes, int at) {
    if (bytes.size() < at + 4) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + at;
    return (p[0] == 0x11 && p[1] == 0x01) ||
           (p[0] == 0x00 && p[1] == 0x11 && p[2] == 0x02 && p[3] == 0xFF);
}

// Where the picture's size word starts: after the preamble when a version opcode
// follows the frame there, else at the start (files without the preamble).
int HeaderStart(const QByteArray& bytes) {
    if (VersionAt(bytes, kPreamble + 10)) return kPreamble;
    if (VersionAt(bytes, 10)) return 0;
    return bytes.size() >= kPreamble + 10 ? kPreamble : 0;
}

// ImageMagick ends the process on a fatal error (its time limit is one); at once,
// since exit handlers have nothing to finish in the middle of a decode.
void EndAtOnce(const MagickCore::ExceptionType, const char*, const char*) { std::_Exit(1); }

void InitializeMagick() {
    static std::once_flag once;
    std::call_once(once, [] {
        Magick::InitializeMagick(nullptr);
        MagickCore::SetFatalErrorHandler(EndAtOnce);
        // A corrupt file must fail, never page the pixel cache out to disk or grow
        // without bound; the coder runs on the calling thread only.
        Magick::ResourceLimits::memory(256ull << 20);
        Magick::ResourceLimits::map(512ull << 20);
        Magick::ResourceLimits::disk(0);
        Magick::ResourceLimits::width(32768);
        Magick::ResourceLimits::height(32768);
        Magick::ResourceLimits::area(static_cast<MagickCore::MagickSizeType>(Picture::PixelLimit()));
        Magick::ResourceLimits::listLength(16);
        Magick::ResourceLimits::thread(1);
        // A flood of tiles must not run for minutes; a sound picture takes well under
        // a second.
        MagickCore::SetMagickResourceLimit(MagickCore::TimeResource, PictDecoder::kSecondsLimit);
    });
}

} // namespace

QSize PictDecoder::FrameSize(const QByteArray& bytes) {
    const int start = HeaderStart(bytes);
    if (bytes.size() < start + 10) return {};
    const int top = Read16(bytes, start + 2);
    const int left = Read16(bytes, start + 4);
    const int bottom = Read16(bytes, start + 6);
    const int right = Read16(bytes, start + 8);
    const QSize size(right - left, bottom - top);
    return size.isEmpty() ? QSize() : size;
}

void PictDecoder::Prepare() {
    InitializeMagick();
    // The coder is a module loaded from disk on first use; loading it now lets the
    // caller forbid opening files before any byte of a picture is read.
    MagickCore::ExceptionInfo* exception = MagickCore::AcquireExceptionInfo();
    MagickCore::GetMagickInfo("PICT", exception);
    MagickCore::DestroyExceptionInfo(exception);
}

bool PictDecoder::HasVersionOpcode(const QByteArray& bytes) {
    return VersionAt(bytes, kPreamble + 10) || VersionAt(bytes, 10);
}

PictureRef PictDecoder::Open(const QByteArray& bytes) {
    const QSize frame = FrameSize(bytes);
    if (!frame.isValid() || SaturatingMul(frame.width(), frame.height()) > Picture::PixelLimit())
        return nullptr;
    InitializeMagick();
    try {
        Magick::Image image;
        image.quiet(true);
        image.magick("PICT");
        image.read(Magick::Blob(bytes.constData(), static_cast<size_t>(bytes.size())));
        const size_t w = image.columns();
        const size_t h = image.rows();
        if (w == 0 || h == 0 || w > 32768 || h > 32768 ||
            SaturatingMul(int64_t(w), int64_t(h)) > Picture::PixelLimit())
            return nullptr;
        QImage out(static_cast<int>(w), static_cast<int>(h), QImage::Format_ARGB32);
        if (out.isNull()) return nullptr;
        // ARGB32 lies in memory as B, G, R, A on the little-endian machines Qt runs on
        // here; QImage rows of 32-bit pixels have no padding.
        static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the pixel map below assumes little-endian");
        image.write(0, 0, w, h, "BGRA", Magick::CharPixel, out.bits());
        return std::make_shared<Picture>(std::move(out));
    } catch (const std::exception&) {
        return nullptr;
    }
}

} // namespace fw
