#include "framework/graphics/PngDecoder.h"

#include "framework/core/NumberRules.h"
#include "framework/graphics/PictureDecoder.h"
#include "framework/graphics/RowReducer.h"

#include <QColorSpace>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <optional>
#include <vector>

#include <png.h>

namespace fw {

namespace {

// The largest ICC profiles are a few megabytes.
constexpr png_alloc_size_t kChunkBytesLimit = png_alloc_size_t{16} << 20;
constexpr png_uint_32 kAncillaryChunksLimit = 256;

struct Reader {
    const unsigned char* data;
    size_t size;
    size_t pos;
};

void ReadBytes(png_structp png, png_bytep out, size_t count) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (count > r->size - r->pos) png_error(png, "truncated");
    std::memcpy(out, r->data + r->pos, count);
    r->pos += count;
}

void Quiet(png_structp, png_const_charp) {}

void Fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// What one pass over the file leaves. It lives outside the function that calls
// setjmp, so that a jump back from libpng never skips a destructor or leaves an
// object of ours half assigned.
struct Job {
    QSize size;                  // natural size
    int factor = 1;              // each output pixel averages factor x factor pixels
    PictureDecoder::Pass pass = PictureDecoder::Pass::Pixels;
    std::optional<RowReducer> out;
    QByteArray icc;
    std::vector<unsigned char> row;       // one decoded row, BGRA
    std::vector<unsigned char> whole;     // interlaced pictures only: every row
};

bool Run(const QByteArray& bytes, Job* job) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Quiet);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    Reader reader{reinterpret_cast<const unsigned char*>(bytes.constData()), size_t(bytes.size()), 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, ReadBytes);
    // Both are lifted to what Picture accepts; libpng's own default is a million.
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    // Text chunks are never used; kept, a file of a thousand compressed ones holds
    // gigabytes through both passes. They are skipped unread, and no other chunk
    // (an ICC profile) may inflate to more than a sound one needs.
    static const png_byte kText[] = "tEXt\0zTXt\0iTXt";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kText, 3);
    png_set_chunk_malloc_max(png, kChunkBytesLimit);
    png_set_chunk_cache_max(png, kAncillaryChunksLimit);
    png_read_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info);
    const png_uint_32 h = png_get_image_height(png, info);
    if (w == 0 || h == 0 || SaturatingMul(w, h) > Picture::PixelLimit() ||
        SaturatingMul(SaturatingMul(w, h), 4) > PictureDecoder::kByteBudget)
        png_longjmp(png, 1);
    job->size = QSize(int(w), int(h));
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileLength = 0;
    if (png_get_iCCP(png, info, &name, &compression, &profile, &profileLength) && profile)
        job->icc = QByteArray(reinterpret_cast<const char*>(profile), int(profileLength));
    if (job->pass == PictureDecoder::Pass::HeaderOnly) {
        png_destroy_read_struct(&png, &info, nullptr);
        return true;
    }

    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(w) * 4) png_longjmp(png, 1);
    // The result, the file as it is read and, interlaced, every row, within the budget.
    if ((passes > 1 ? SaturatingMul(SaturatingMul(w, h), 4) : 0) + RowReducer::Bytes(job->size, job->factor) +
            int64_t(bytes.size()) >
        PictureDecoder::kByteBudget)
        png_longjmp(png, 1);

    job->out.emplace(job->size, job->factor);
    if (job->out->Result().isNull()) png_longjmp(png, 1);
    job->row.resize(size_t(w) * 4);
    if (passes > 1) {
        // Interlaced rows complete only in the last pass, so they are all kept.
        job->whole.assign(size_t(w) * h * 4, 0);
        for (int pass = 0; pass < passes; ++pass)
            for (png_uint_32 y = 0; y < h; ++y) png_read_row(png, &job->whole[size_t(y) * w * 4], nullptr);
    }
    for (png_uint_32 y = 0; y < h; ++y) {
        unsigned char* row = passes > 1 ? &job->whole[size_t(y) * w * 4] : job->row.data();
        if (passes == 1) png_read_row(png, row, nullptr);
        job->out->Add(row, int(y));
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

class PngSource final : public PictureSource {
public:
    PngSource(QByteArray bytes, QSize natural) : bytes_(std::move(bytes)), natural_(natural) {}

    QImage Decode(QSize atLeast) override {
        Job job;
        job.factor = RowReducer::FactorFor(natural_, atLeast);
        if (!Run(bytes_, &job)) return {};
        QImage out = std::move(job.out->Result());
        if (!job.icc.isEmpty()) out.setColorSpace(QColorSpace::fromIccProfile(job.icc));
        return out;
    }

private:
    QByteArray bytes_;
    QSize natural_;
};

} // namespace

PictureRef PngDecoder::Open(const QByteArray& bytes, QSize coverArea) {
    Job header;
    header.pass = PictureDecoder::Pass::HeaderOnly;
    if (!Run(bytes, &header)) return nullptr;
    return PictureDecoder::FromSource(header.size, std::make_unique<PngSource>(bytes, header.size),
                                      true, coverArea);
}

} // namespace fw
