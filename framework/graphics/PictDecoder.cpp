#include "framework/graphics/PictDecoder.h"

#include "framework/core/NumberRules.h"
#include "framework/graphics/PictureDecoder.h"
#include "framework/graphics/RowReducer.h"

#include <Magick++.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

namespace fw {

namespace {

constexpr int kPreamble = 512;

// ImageMagick's PICT coder holds, besides two 16-bit pixel caches of a pixmap
// (the picture's and the pixmap's own), a zero-filled buffer of about 128 KB per
// row of it: a 5000-row picture in one pixmap would cost over a gigabyte.
constexpr int64_t kCoderBytesPerRow = 131072;
constexpr int64_t kCoderBytesPerPixel = 2 * 8 + 4;
// A large picture goes to the coder in bands of about this many bytes of its working
// memory each.
constexpr int64_t kBandBytes = int64_t{48} << 20;

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

// Reads big-endian words off the bytes; any read past the end makes it not ok.
class Cursor {
public:
    Cursor(const QByteArray& bytes, int at) : bytes_(bytes), pos_(at) {}
    bool Ok() const { return ok_; }
    int Pos() const { return pos_; }
    int U8() { return Has(1) ? static_cast<unsigned char>(bytes_[pos_++]) : 0; }
    int U16() {
        if (!Has(2)) return 0;
        pos_ += 2;
        return (static_cast<unsigned char>(bytes_[pos_ - 2]) << 8) | static_cast<unsigned char>(bytes_[pos_ - 1]);
    }
    QRect Rect() {
        const int top = int16_t(U16()), left = int16_t(U16()), bottom = int16_t(U16()), right = int16_t(U16());
        return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    }
    void Skip(int n) {
        if (Has(n)) pos_ += n;
    }
    // Version 2 opcodes start on even offsets of the file.
    void AlignWord() {
        if (pos_ % 2) Skip(1);
    }

private:
    bool Has(int n) {
        ok_ = ok_ && n >= 0 && pos_ <= bytes_.size() - n;
        return ok_;
    }
    const QByteArray& bytes_;
    int pos_;
    bool ok_ = true;
};

// A picture laid out as image editors write one: version 2, a few attribute
// opcodes, one pixmap over the whole frame (DirectBitsRect of 16- or 32-bit pixels,
// or PackBitsRect of indexed ones), and the end. Its rows can be cut into bands,
// each a picture of its own.
struct Pixmap {
    int op = 0;
    QSize size;
    int rowBytes = 0;          // the row-bytes word as stored
    int headAt = 0;            // the pixmap's fields, and any colour table, between
    int headEnd = 0;           // its bounds and its source rectangle
    int mode = 0;
    std::vector<int> rows;     // where each row starts, and the end of the last
};

constexpr int kDirectBitsRect = 0x009A;
constexpr int kPackBitsRect = 0x0098;

std::optional<Pixmap> FindPixmap(const QByteArray& bytes) {
    Cursor c(bytes, HeaderStart(bytes) + 2);
    const QRect frame = c.Rect();
    if (!c.Ok() || frame.topLeft() != QPoint(0, 0) || frame.isEmpty() || c.U16() != 0x0011 || c.U16() != 0x02FF)
        return std::nullopt;
    Pixmap found;
    for (;;) {
        c.AlignWord();
        found.op = c.U16();
        if (!c.Ok()) return std::nullopt;
        if (found.op == kDirectBitsRect || found.op == kPackBitsRect) break;
        switch (found.op) {
        case 0x0000:   // no operation
        case 0x001E: break;   // default highlight
        case 0x0C00: c.Skip(24); break;   // header
        case 0x001A:   // colours
        case 0x001B:
        case 0x001F: c.Skip(6); break;
        case 0x00A0: c.Skip(2); break;   // comments
        case 0x00A1: c.Skip(2), c.Skip(c.U16()); break;
        case 0x0001: {   // the clip region: ImageMagick takes a rectangular one as the size
            const int length = c.U16();
            if (length != 10 || c.Rect() != frame) return std::nullopt;
            break;
        }
        default: return std::nullopt;
        }
    }
    found.size = frame.size();
    if (found.op == kDirectBitsRect) c.Skip(4);   // base address
    found.rowBytes = c.U16();
    const QRect bounds = c.Rect();
    found.headAt = c.Pos();
    int pixelSize = 1, components = 1;
    if (found.op == kDirectBitsRect || (found.rowBytes & 0x8000)) {
        c.Skip(4 + 12 + 2);   // version, pack type and size, resolutions, pixel type
        pixelSize = c.U16();
        components = c.U16();
        c.Skip(2 + 12);       // component size, plane bytes, table, reserved
        if (found.op == kPackBitsRect) {
            c.Skip(4 + 2);    // colour table seed and flags
            c.Skip((c.U16() + 1) * 8);
        }
    }
    found.headEnd = c.Pos();
    const QRect source = c.Rect();
    const QRect destination = c.Rect();
    found.mode = c.U16();
    if (!c.Ok() || bounds != frame || source != frame || destination != frame) return std::nullopt;
    // A row's bytes, as the coder reckons them: a DirectBitsRect's from its pixels, a
    // PackBitsRect's from its row-bytes word. Rows of fewer than 8 are stored
    // unpacked; longer ones each start with their packed length.
    const int64_t width = pixelSize == 32 ? int64_t{frame.width()} * (components == 4 ? 4 : 3)
                          : pixelSize == 16 ? int64_t{frame.width()} * 2
                                            : frame.width();
    int64_t perLine = found.op == kDirectBitsRect ? 0 : pixelSize <= 8 ? found.rowBytes & 0x7FFF : found.rowBytes;
    if (perLine == 0) perLine = width;
    found.rows.reserve(size_t(frame.height()) + 1);
    for (int y = 0; y < frame.height() && c.Ok(); ++y) {
        found.rows.push_back(c.Pos());
        c.Skip(perLine < 8 ? int(perLine) : perLine > 200 ? c.U16() : c.U8());
    }
    found.rows.push_back(c.Pos());
    c.AlignWord();
    if (c.U16() != 0x00FF || !c.Ok()) return std::nullopt;
    return found;
}

QByteArray Word(int v) { return QByteArray(1, char((v >> 8) & 0xFF)) + char(v & 0xFF); }

// Rows [first, end) of a picture of one pixmap as a picture of their own.
QByteArray Band(const QByteArray& bytes, const Pixmap& pixmap, int first, int end) {
    const QByteArray rect = Word(0) + Word(0) + Word(end - first) + Word(pixmap.size.width());
    QByteArray band(kPreamble, '\0');
    band += Word(0) + rect + QByteArray::fromHex("001102ff" "0c00fffe0000" "0000000000000000") + rect +
            QByteArray(4, '\0') + QByteArray::fromHex("0001000a") + rect;
    band += Word(pixmap.op) + (pixmap.op == kDirectBitsRect ? QByteArray::fromHex("000000ff") : QByteArray()) +
            Word(pixmap.rowBytes) + rect + bytes.mid(pixmap.headAt, pixmap.headEnd - pixmap.headAt) + rect + rect +
            Word(pixmap.mode);
    band += bytes.mid(pixmap.rows[size_t(first)], pixmap.rows[size_t(end)] - pixmap.rows[size_t(first)]);
    if (band.size() % 2) band += '\0';
    return band + QByteArray::fromHex("00ff");
}

// The coder's picture of `bytes`, or nothing when it fails or is not `size`.
std::optional<Magick::Image> Read(const QByteArray& bytes, QSize size) {
    try {
        Magick::Image image;
        image.quiet(true);
        image.magick("PICT");
        image.read(Magick::Blob(bytes.constData(), static_cast<size_t>(bytes.size())));
        if (image.columns() != size_t(size.width()) || image.rows() != size_t(size.height())) return std::nullopt;
        return image;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Adds the rows of `image` to `reducer`, the first as row `top`.
bool AddRows(Magick::Image& image, RowReducer& reducer, int top) {
    // B, G, R, A bytes, as ARGB32 lies in memory on the little-endian machines Qt runs on here.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the pixel map below assumes little-endian");
    std::vector<unsigned char> row(image.columns() * 4);
    try {
        for (size_t y = 0; y < image.rows(); ++y) {
            image.write(0, ssize_t(y), image.columns(), 1, "BGRA", Magick::CharPixel, row.data());
            reducer.Add(row.data(), top + int(y));
        }
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

class PictSource final : public PictureSource {
public:
    PictSource(QByteArray bytes, QSize natural, std::optional<Pixmap> pixmap)
        : bytes_(std::move(bytes)), natural_(natural), pixmap_(std::move(pixmap)) {}

    // The coder's working memory is counted in the budget: a picture it can take
    // only in one piece is refused when that piece would pass it.
    QImage Decode(QSize atLeast) override {
        const int factor = RowReducer::FactorFor(natural_, atLeast);
        const int64_t w = natural_.width(), h = natural_.height();
        const int64_t perRow = kCoderBytesPerRow + kCoderBytesPerPixel * w;
        const int bandRows = pixmap_ ? int(std::clamp<int64_t>(kBandBytes / perRow, 1, h)) : int(h);
        if (RowReducer::Bytes(natural_, factor) + SaturatingMul(bandRows, perRow) + bytes_.size() >
            PictureDecoder::kByteBudget)
            return {};
        RowReducer reducer(natural_, factor);
        if (reducer.Result().isNull()) return {};
        if (!pixmap_) {
            std::optional<Magick::Image> image = Read(bytes_, natural_);
            return image && AddRows(*image, reducer, 0) ? std::move(reducer.Result()) : QImage();
        }
        for (int first = 0; first < h; first += bandRows) {
            const int end = int(std::min<int64_t>(h, first + bandRows));
            std::optional<Magick::Image> band = Read(Band(bytes_, *pixmap_, first, end), QSize(int(w), end - first));
            if (!band || !AddRows(*band, reducer, first)) return {};
        }
        return std::move(reducer.Result());
    }

private:
    QByteArray bytes_;
    QSize natural_;
    std::optional<Pixmap> pixmap_;
};

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

PictureRef PictDecoder::Open(const QByteArray& bytes, QSize coverArea) {
    const QSize frame = FrameSize(bytes);
    if (!frame.isValid() || frame.width() > 32768 || frame.height() > 32768 ||
        SaturatingMul(frame.width(), frame.height()) > Picture::PixelLimit())
        return nullptr;
    InitializeMagick();
    return PictureDecoder::FromSource(frame, std::make_unique<PictSource>(bytes, frame, FindPixmap(bytes)), true,
                                      coverArea);
}

} // namespace fw
