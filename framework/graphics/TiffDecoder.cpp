#include "framework/graphics/TiffDecoder.h"

#include "framework/core/NumberRules.h"
#include "framework/graphics/PictureDecoder.h"
#include "framework/graphics/RowReducer.h"

#include <QColorSpace>
#include <QImageIOHandler>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <tiffio.h>

namespace fw {

namespace {

// libtiff reads from the bytes in memory; it is handed them as a mapped file, so that
// it decodes compressed strips where they lie instead of copying them.
struct Source {
    const QByteArray* bytes;
    toff_t pos = 0;
};

tmsize_t ReadProc(thandle_t handle, void* out, tmsize_t count) {
    auto* s = static_cast<Source*>(handle);
    const auto size = toff_t(s->bytes->size());
    if (count <= 0 || s->pos >= size) return 0;
    const auto n = std::min<toff_t>(toff_t(count), size - s->pos);
    std::memcpy(out, s->bytes->constData() + s->pos, size_t(n));
    s->pos += n;
    return tmsize_t(n);
}
tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return 0; }
toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
    auto* s = static_cast<Source*>(handle);
    const toff_t base = whence == SEEK_CUR ? s->pos : whence == SEEK_END ? toff_t(s->bytes->size()) : 0;
    s->pos = base + offset;
    return s->pos;
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t handle) { return toff_t(static_cast<Source*>(handle)->bytes->size()); }
int MapProc(thandle_t handle, void** base, toff_t* size) {
    const QByteArray* bytes = static_cast<Source*>(handle)->bytes;
    *base = const_cast<char*>(bytes->constData());
    *size = toff_t(bytes->size());
    return 1;
}
void UnmapProc(thandle_t, void*, toff_t) {}

struct Closer {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffPtr = std::unique_ptr<TIFF, Closer>;

TiffPtr OpenTiff(Source* source) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    // No handlers of its own: what libtiff says goes to the process's, which the decode
    // helper sets to count it and report one line per picture.
    // No one allocation of libtiff's (a tag's array, a strip) may pass the budget.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(PictureDecoder::kByteBudget));
    TIFF* tif = TIFFClientOpenExt("picture", "r", source, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                  MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
    return TiffPtr(tif);
}

// The orientation tag's values are those of EXIF.
QImageIOHandler::Transformations Orientation(TIFF* tif) {
    uint16_t tag = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &tag);
    switch (tag) {
    case ORIENTATION_TOPRIGHT: return QImageIOHandler::TransformationMirror;
    case ORIENTATION_BOTRIGHT: return QImageIOHandler::TransformationRotate180;
    case ORIENTATION_BOTLEFT: return QImageIOHandler::TransformationFlip;
    case ORIENTATION_LEFTTOP: return QImageIOHandler::TransformationFlipAndRotate90;
    case ORIENTATION_RIGHTTOP: return QImageIOHandler::TransformationRotate90;
    case ORIENTATION_RIGHTBOT: return QImageIOHandler::TransformationMirrorAndRotate90;
    case ORIENTATION_LEFTBOT: return QImageIOHandler::TransformationRotate270;
    default: return QImageIOHandler::TransformationNone;
    }
}

struct RgbaImage {
    TIFFRGBAImage image{};
    bool begun = false;
    ~RgbaImage() {
        if (begun) TIFFRGBAImageEnd(&image);
    }
};

// The stored pixels reduced by `factor`, in stored order (the orientation not yet
// applied), or null when the file fails or the decode would pass the budget.
QImage DecodeStored(const QByteArray& bytes, int factor, QImageIOHandler::Transformations orientation) {
    Source source{&bytes};
    const TiffPtr tif = OpenTiff(&source);
    if (!tif) return {};
    char message[1024] = {};
    RgbaImage rgba;
    if (!TIFFRGBAImageOK(tif.get(), message) || !TIFFRGBAImageBegin(&rgba.image, tif.get(), 1, message)) return {};
    rgba.begun = true;
    TIFFRGBAImage& image = rgba.image;
    // Rows come in the order they are stored; the orientation is applied to the
    // reduced result, once.
    image.req_orientation = image.orientation;
    const uint32_t w = image.width, h = image.height;
    const QSize stored{int(w), int(h)};
    if (w == 0 || h == 0 || SaturatingMul(w, h) > Picture::PixelLimit()) return {};

    // Contiguous strips of whole pixels read a row at a time whatever a strip's size
    // (libtiff decodes a compressed strip as far as the row asked for). Tiles,
    // separate planes and subsampled colour come a row of tiles or strips at a time,
    // through libtiff's whole-tile or whole-strip buffer.
    const bool rowByRow = !TIFFIsTiled(tif.get()) && image.isContig && image.photometric != PHOTOMETRIC_YCBCR;
    uint32_t piece = 1;
    int64_t working = SaturatingMul(w, 8);   // libtiff's row of pixels and ours
    if (rowByRow) {
        working += int64_t(TIFFScanlineSize64(tif.get()));
    } else {
        uint32_t rows = 0;
        if (TIFFIsTiled(tif.get())) {
            TIFFGetField(tif.get(), TIFFTAG_TILELENGTH, &rows);
            working += SaturatingMul(int64_t(TIFFTileSize64(tif.get())), image.isContig ? 1 : image.samplesperpixel);
        } else {
            TIFFGetFieldDefaulted(tif.get(), TIFFTAG_ROWSPERSTRIP, &rows);
            working += SaturatingMul(int64_t(TIFFStripSize64(tif.get())), image.isContig ? 1 : image.samplesperpixel);
        }
        piece = std::clamp<uint32_t>(rows, 1, h);
        working = SaturatingMul(SaturatingMul(w, piece), 4) + working;
    }
    // The oriented copy of the result is made while the result is still held, and the
    // file's pages stay in memory once read.
    const int64_t result = RowReducer::Bytes(stored, factor);
    const int64_t held =
        (orientation == QImageIOHandler::TransformationNone ? result : 2 * result) + working + bytes.size();
    if (held > PictureDecoder::kByteBudget) return {};

    RowReducer reducer(stored, factor);
    if (reducer.Result().isNull()) return {};
    // libtiff's pixels are R, G, B, A from the low byte up, premultiplied.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the byte order of libtiff's pixels below assumes little-endian");
    std::vector<uint32_t> pixels(size_t(w) * piece);
    const auto add = [&reducer](const uint32_t* row, uint32_t y) {
        reducer.Add(reinterpret_cast<const unsigned char*>(row), int(y), RowReducer::Pixels::RgbaPremultiplied);
    };
    if (rowByRow) {
        std::vector<unsigned char> scanline(size_t(TIFFScanlineSize64(tif.get())));
        for (uint32_t y = 0; y < h; ++y) {
            if (TIFFReadScanline(tif.get(), scanline.data(), y, 0) < 0) return {};
            image.put.contig(&image, pixels.data(), 0, y, w, 1, 0, 0, scanline.data());
            add(pixels.data(), y);
        }
    } else {
        for (uint32_t y = 0; y < h; y += piece) {
            const uint32_t rows = std::min(piece, h - y);
            image.row_offset = int(y);
            if (!TIFFRGBAImageGet(&image, pixels.data(), w, rows)) return {};
            for (uint32_t r = 0; r < rows; ++r) add(&pixels[size_t(r) * w], y + r);
        }
    }
    QImage out = std::move(reducer.Result());
    uint32_t profileLength = 0;
    void* profile = nullptr;
    if (TIFFGetField(tif.get(), TIFFTAG_ICCPROFILE, &profileLength, &profile) && profile && profileLength > 0)
        out.setColorSpace(QColorSpace::fromIccProfile(
            QByteArray(static_cast<const char*>(profile), qsizetype(profileLength))));
    return out;
}

class TiffSource final : public PictureSource {
public:
    TiffSource(QByteArray bytes, QSize stored, QImageIOHandler::Transformations orientation)
        : bytes_(std::move(bytes)), stored_(stored), orientation_(orientation) {}

    QImage Decode(QSize atLeast) override {
        if (orientation_ & QImageIOHandler::TransformationRotate90) atLeast.transpose();
        QImage image = DecodeStored(bytes_, RowReducer::FactorFor(stored_, atLeast), orientation_);
        return PictureDecoder::Oriented(std::move(image), orientation_);
    }

private:
    QByteArray bytes_;
    QSize stored_;
    QImageIOHandler::Transformations orientation_;
};

} // namespace

bool TiffDecoder::TakesSamples(const QByteArray& bytes) {
    Source source{&bytes};
    const TiffPtr tif = OpenTiff(&source);
    char message[1024] = {};
    return !tif || TIFFRGBAImageOK(tif.get(), message);
}

PictureRef TiffDecoder::Open(const QByteArray& bytes, QSize coverArea) {
    Source source{&bytes};
    const TiffPtr tif = OpenTiff(&source);
    if (!tif) return nullptr;
    uint32_t w = 0, h = 0;
    if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h) ||
        w == 0 || h == 0 || w > uint32_t(INT32_MAX) || h > uint32_t(INT32_MAX) ||
        SaturatingMul(w, h) > Picture::PixelLimit())
        return nullptr;
    const QImageIOHandler::Transformations orientation = Orientation(tif.get());
    const QSize stored{int(w), int(h)};
    const QSize natural = orientation & QImageIOHandler::TransformationRotate90 ? stored.transposed() : stored;
    return PictureDecoder::FromSource(natural, std::make_unique<TiffSource>(bytes, stored, orientation), true,
                                      coverArea);
}

} // namespace fw
