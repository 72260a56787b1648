#include "framework/graphics/Jpeg2000Decoder.h"

#include "framework/core/NumberRules.h"
#include "framework/graphics/PictureDecoder.h"

#include <QThread>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <openjpeg.h>

namespace fw {

namespace {

constexpr unsigned char kJp2Signature[] = {0x00, 0x00, 0x00, 0x0C, 0x6A, 0x50,
                                           0x20, 0x20, 0x0D, 0x0A, 0x87, 0x0A};
constexpr unsigned char kCodestreamSignature[] = {0xFF, 0x4F, 0xFF, 0x51};

// --- OpenJPEG reads from memory through these.
struct MemoryStream {
    const unsigned char* data;
    OPJ_SIZE_T size;
    OPJ_SIZE_T pos;
};

OPJ_SIZE_T ReadStream(void* buffer, OPJ_SIZE_T bytes, void* user) {
    auto* s = static_cast<MemoryStream*>(user);
    if (s->pos >= s->size) return static_cast<OPJ_SIZE_T>(-1);
    const OPJ_SIZE_T n = std::min(bytes, s->size - s->pos);
    std::memcpy(buffer, s->data + s->pos, n);
    s->pos += n;
    return n;
}

OPJ_OFF_T SkipStream(OPJ_OFF_T bytes, void* user) {
    auto* s = static_cast<MemoryStream*>(user);
    // Backward moves go through SeekStream; returning 0 here would make the library
    // ask again for ever.
    if (bytes <= 0 || s->pos >= s->size) return -1;
    const OPJ_SIZE_T n = std::min(static_cast<OPJ_SIZE_T>(bytes), s->size - s->pos);
    s->pos += n;
    return static_cast<OPJ_OFF_T>(n);
}

OPJ_BOOL SeekStream(OPJ_OFF_T position, void* user) {
    auto* s = static_cast<MemoryStream*>(user);
    if (position < 0 || static_cast<OPJ_SIZE_T>(position) > s->size) return OPJ_FALSE;
    s->pos = static_cast<OPJ_SIZE_T>(position);
    return OPJ_TRUE;
}

void Quiet(const char*, void*) {}

struct CodecDeleter {
    void operator()(opj_codec_t* c) const { opj_destroy_codec(c); }
};
struct StreamDeleter {
    void operator()(opj_stream_t* s) const { opj_stream_destroy(s); }
};
struct ImageDeleter {
    void operator()(opj_image_t* i) const { opj_image_destroy(i); }
};

// OpenJPEG's header reader allocates its bookkeeping per tile and per component
// (about 13 KB a tile at four components) before any check of ours could run, so
// the main header's size marker is read here first. A few thousand tiles is more
// than any camera or scanner writes.
constexpr int64_t kMaxTiles = 4096;
constexpr int kMaxComponents = 4;

uint32_t Read32(const unsigned char* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint16_t Read16(const unsigned char* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

// Where the codestream starts: the content of a JP2 file's top-level "jp2c" box, or
// the start of a bare codestream; -1 when there is none.
int64_t CodestreamStart(const QByteArray& bytes) {
    if (Jpeg2000Decoder::IsCodestream(bytes)) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const int64_t n = bytes.size();
    int64_t at = 0;
    while (n - at >= 8) {
        uint64_t length = Read32(p + at);
        int64_t header = 8;
        if (length == 1) {
            if (n - at < 16) return -1;
            length = (uint64_t{Read32(p + at + 8)} << 32) | Read32(p + at + 12);
            header = 16;
        } else if (length == 0) {
            length = static_cast<uint64_t>(n - at);
        }
        if (std::memcmp(p + at + 4, "jp2c", 4) == 0) return at + header;
        if (length < static_cast<uint64_t>(header) || length > static_cast<uint64_t>(n - at)) return -1;
        at += static_cast<int64_t>(length);
    }
    return -1;
}

// What decoding the whole picture costs in bytes: OpenJPEG holds every component's
// samples as 32-bit integers, and the result is 32-bit pixels. 0 when the size
// marker is missing, malformed or beyond our limits.
int64_t CheckedFullDecodeBytes(const QByteArray& bytes) {
    const int64_t start = CodestreamStart(bytes);
    if (start < 0 || bytes.size() - start < 4 + 40) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + start;
    if (Read16(p) != 0xFF4F || Read16(p + 2) != 0xFF51) return 0;
    const unsigned char* siz = p + 2;   // the marker; its length field follows
    const int length = Read16(siz + 2);
    const int components = Read16(siz + 38);
    if (components < 1 || components > kMaxComponents || length != 38 + 3 * components ||
        bytes.size() - start < 4 + 2 + length)
        return 0;
    const int64_t x1 = Read32(siz + 6), y1 = Read32(siz + 10);
    const int64_t x0 = Read32(siz + 14), y0 = Read32(siz + 18);
    const int64_t tw = Read32(siz + 22), th = Read32(siz + 26);
    const int64_t tx0 = Read32(siz + 30), ty0 = Read32(siz + 34);
    if (x1 <= x0 || y1 <= y0 || tw < 1 || th < 1 || tx0 > x0 || ty0 > y0 || tx0 + tw <= x0 ||
        ty0 + th <= y0)
        return 0;
    if (SaturatingMul(CeilDiv(x1 - tx0, tw), CeilDiv(y1 - ty0, th)) > kMaxTiles) return 0;
    // Each component has its own size; a subsampled first one must not hide the others.
    int64_t samples = 0;
    int64_t widest = 0;
    for (int c = 0; c < components; ++c) {
        const unsigned char* comp = siz + 40 + 3 * c;
        const int dx = comp[1], dy = comp[2];
        if ((comp[0] & 0x7F) + 1 > 16 || dx < 1 || dy < 1) return 0;
        const int64_t pixels =
            SaturatingMul(CeilDiv(x1, dx) - CeilDiv(x0, dx), CeilDiv(y1, dy) - CeilDiv(y0, dy));
        if (pixels > Picture::PixelLimit()) return 0;
        samples += pixels;
        widest = std::max(widest, pixels);
    }
    return SaturatingMul(samples + widest, 4);
}

// The picture's geometry as the main header gives it.
struct Geometry {
    int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;   // of the first component, in its own samples
    int maxReduce = 0;
    int64_t fullBytes = 0;   // what decoding in full costs (CheckedFullDecodeBytes)

    // Each level down quarters the samples.
    int64_t BytesAt(int reduce) const { return reduce >= 31 ? 0 : fullBytes >> (2 * reduce); }

    QSize SizeAt(int reduce) const {
        const int64_t f = int64_t{1} << reduce;
        return QSize(static_cast<int>(CeilDiv(x1, f) - CeilDiv(x0, f)),
                     static_cast<int>(CeilDiv(y1, f) - CeilDiv(y0, f)));
    }
};

int To8Bits(int v, const opj_image_comp_t& c) {
    const int prec = static_cast<int>(c.prec);
    if (c.sgnd) v += 1 << (prec - 1);
    v = std::clamp(v, 0, (1 << prec) - 1);
    if (prec == 8) return v;
    if (prec > 8) return v >> (prec - 8);
    return v * 255 / ((1 << prec) - 1);
}

int Clamp8(double v) { return std::clamp(static_cast<int>(v + 0.5), 0, 255); }

QImage ToImage(const opj_image_t& image) {
    const int n = static_cast<int>(image.numcomps);
    const opj_image_comp_t& first = image.comps[0];
    const int w = static_cast<int>(first.w);
    const int h = static_cast<int>(first.h);
    if (w <= 0 || h <= 0 || SaturatingMul(w, h) > Picture::PixelLimit()) return {};
    for (int c = 0; c < n; ++c)
        if (!image.comps[c].data || image.comps[c].w == 0 || image.comps[c].h == 0) return {};

    // Components may be subsampled (YCC 4:2:0); each output pixel takes the nearest
    // sample of each component.
    std::vector<std::vector<int>> xs(n, std::vector<int>(w));
    std::vector<std::vector<int>> ys(n, std::vector<int>(h));
    for (int c = 0; c < n; ++c) {
        const int64_t cw = image.comps[c].w;
        const int64_t ch = image.comps[c].h;
        for (int x = 0; x < w; ++x) xs[c][x] = static_cast<int>(std::min(cw - 1, x * cw / w));
        for (int y = 0; y < h; ++y) ys[c][y] = static_cast<int>(std::min(ch - 1, y * ch / h));
    }

    const bool cmyk = n == 4 && image.color_space == OPJ_CLRSPC_CMYK;
    const bool ycc = n >= 3 && (image.color_space == OPJ_CLRSPC_SYCC ||
                                image.color_space == OPJ_CLRSPC_EYCC);
    const bool alpha = n == 2 || (n == 4 && !cmyk);
    QImage out(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.isNull()) return {};

    // Most photos are three full-size unsigned 8-bit components: read them straight,
    // without the per-sample look-ups of the general case.
    bool plainRgb = n == 3 && !ycc;
    for (int c = 0; c < n && plainRgb; ++c) {
        const opj_image_comp_t& comp = image.comps[c];
        plainRgb = static_cast<int>(comp.w) == w && static_cast<int>(comp.h) == h && comp.prec == 8 && !comp.sgnd;
    }
    if (plainRgb) {
        for (int y = 0; y < h; ++y) {
            const int64_t at = int64_t{y} * w;
            const OPJ_INT32* r = image.comps[0].data + at;
            const OPJ_INT32* g = image.comps[1].data + at;
            const OPJ_INT32* b = image.comps[2].data + at;
            auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < w; ++x)
                line[x] = qRgb(std::clamp(r[x], 0, 255), std::clamp(g[x], 0, 255), std::clamp(b[x], 0, 255));
        }
        return out;
    }

    for (int y = 0; y < h; ++y) {
        const OPJ_INT32* rows[4] = {};
        for (int c = 0; c < n; ++c)
            rows[c] = image.comps[c].data + int64_t{ys[c][y]} * image.comps[c].w;
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            int v[4] = {0, 0, 0, 255};
            for (int c = 0; c < n; ++c) v[c] = To8Bits(rows[c][xs[c][x]], image.comps[c]);
            int r, g, b, a = 255;
            if (n <= 2) {
                r = g = b = v[0];
                if (n == 2) a = v[1];
            } else if (cmyk) {
                r = (255 - v[0]) * (255 - v[3]) / 255;
                g = (255 - v[1]) * (255 - v[3]) / 255;
                b = (255 - v[2]) * (255 - v[3]) / 255;
            } else if (ycc) {
                const double cb = v[1] - 128.0;
                const double cr = v[2] - 128.0;
                r = Clamp8(v[0] + 1.402 * cr);
                g = Clamp8(v[0] - 0.344136 * cb - 0.714136 * cr);
                b = Clamp8(v[0] + 1.772 * cb);
                if (n == 4) a = v[3];
            } else {
                r = v[0];
                g = v[1];
                b = v[2];
                if (n == 4) a = v[3];
            }
            line[x] = qRgba(r, g, b, a);
        }
    }
    return out;
}

// One pass of the library over the bytes: the main header, and for a Pixels pass
// the pixels `reduce` resolution levels down. Strict mode, so that a truncated
// stream fails instead of decoding to a partial picture.
bool Run(const QByteArray& bytes, int reduce, PictureDecoder::Pass pass, Geometry* geometry, QImage* out) {
    const bool jp2 = Jpeg2000Decoder::IsJp2File(bytes);
    std::unique_ptr<opj_codec_t, CodecDeleter> codec(
        opj_create_decompress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
    if (!codec) return false;
    opj_set_info_handler(codec.get(), Quiet, nullptr);
    opj_set_warning_handler(codec.get(), Quiet, nullptr);
    opj_set_error_handler(codec.get(), Quiet, nullptr);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (!opj_setup_decoder(codec.get(), &parameters)) return false;
    opj_decoder_set_strict_mode(codec.get(), OPJ_TRUE);
    // Worker threads only for the pixels: a header pass would start and join them
    // for nothing. The library takes them before the header is read, or never.
    if (pass == PictureDecoder::Pass::Pixels && opj_has_thread_support())
        opj_codec_set_threads(codec.get(), std::clamp(QThread::idealThreadCount(), 1, 8));

    MemoryStream memory{reinterpret_cast<const unsigned char*>(bytes.constData()),
                        static_cast<OPJ_SIZE_T>(bytes.size()), 0};
    std::unique_ptr<opj_stream_t, StreamDeleter> stream(
        opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE));
    if (!stream) return false;
    opj_stream_set_user_data(stream.get(), &memory, nullptr);
    opj_stream_set_user_data_length(stream.get(), memory.size);
    opj_stream_set_read_function(stream.get(), ReadStream);
    opj_stream_set_skip_function(stream.get(), SkipStream);
    opj_stream_set_seek_function(stream.get(), SeekStream);

    const int64_t fullBytes = CheckedFullDecodeBytes(bytes);
    if (fullBytes <= 0) return false;
    opj_image_t* raw = nullptr;
    if (!opj_read_header(stream.get(), codec.get(), &raw)) {
        opj_image_destroy(raw);
        return false;
    }
    std::unique_ptr<opj_image_t, ImageDeleter> image(raw);
    if (image->numcomps < 1 || image->numcomps > 4 || !image->comps) return false;
    if (image->x1 <= image->x0 || image->y1 <= image->y0) return false;
    for (OPJ_UINT32 c = 0; c < image->numcomps; ++c) {
        const opj_image_comp_t& comp = image->comps[c];
        if (comp.prec < 1 || comp.prec > 16 || comp.dx < 1 || comp.dy < 1) return false;
    }
    Geometry g;
    const opj_image_comp_t& first = image->comps[0];
    g.x0 = CeilDiv(image->x0, first.dx);
    g.y0 = CeilDiv(image->y0, first.dy);
    g.x1 = CeilDiv(image->x1, first.dx);
    g.y1 = CeilDiv(image->y1, first.dy);
    const QSize full = g.SizeAt(0);
    if (full.isEmpty() || SaturatingMul(full.width(), full.height()) > Picture::PixelLimit())
        return false;

    opj_codestream_info_v2_t* info = opj_get_cstr_info(codec.get());
    if (!info || !info->m_default_tile_info.tccp_info) {
        opj_destroy_cstr_info(&info);
        return false;
    }
    OPJ_UINT32 levels = 33;
    for (OPJ_UINT32 c = 0; c < info->nbcomps && c < image->numcomps; ++c)
        levels = std::min(levels, info->m_default_tile_info.tccp_info[c].numresolutions);
    opj_destroy_cstr_info(&info);
    if (levels < 1 || levels > 33) return false;
    g.maxReduce = static_cast<int>(levels) - 1;
    g.fullBytes = fullBytes;
    if (g.BytesAt(g.maxReduce) > PictureDecoder::kByteBudget) return false;
    if (geometry) *geometry = g;
    if (pass == PictureDecoder::Pass::HeaderOnly) return true;

    if (reduce < 0 || reduce > g.maxReduce) return false;
    if (reduce > 0 && !opj_set_decoded_resolution_factor(codec.get(), static_cast<OPJ_UINT32>(reduce)))
        return false;
    if (!opj_decode(codec.get(), stream.get(), image.get())) return false;
    if (!opj_end_decompress(codec.get(), stream.get())) return false;
    QImage decoded = ToImage(*image);
    if (decoded.isNull()) return false;
    *out = std::move(decoded);
    return true;
}

class Jpeg2000Source final : public PictureSource {
public:
    Jpeg2000Source(QByteArray bytes, Geometry geometry)
        : bytes_(std::move(bytes)), geometry_(geometry) {}

    QImage Decode(QSize atLeast) override {
        int reduce = 0;
        for (int r = geometry_.maxReduce; r > 0; --r) {
            const QSize s = geometry_.SizeAt(r);
            if (s.width() >= atLeast.width() && s.height() >= atLeast.height()) {
                reduce = r;
                break;
            }
        }
        // Beyond the budget, a coarser level stands in; the caller scales it.
        while (reduce < geometry_.maxReduce && geometry_.BytesAt(reduce) > PictureDecoder::kByteBudget)
            ++reduce;
        QImage image;
        if (!Run(bytes_, reduce, PictureDecoder::Pass::Pixels, nullptr, &image)) return {};
        return image;
    }

private:
    QByteArray bytes_;
    Geometry geometry_;
};

} // namespace

bool Jpeg2000Decoder::IsJp2File(const QByteArray& bytes) {
    return PictureDecoder::StartsWith(bytes, kJp2Signature, sizeof kJp2Signature);
}

bool Jpeg2000Decoder::IsCodestream(const QByteArray& bytes) {
    return PictureDecoder::StartsWith(bytes, kCodestreamSignature, sizeof kCodestreamSignature);
}

PictureRef Jpeg2000Decoder::Open(const QByteArray& bytes, QSize coverArea) {
    if (!IsJp2File(bytes) && !IsCodestream(bytes)) return nullptr;
    Geometry geometry;
    if (!Run(bytes, 0, PictureDecoder::Pass::HeaderOnly, &geometry, nullptr)) return nullptr;
    const QSize natural = geometry.SizeAt(0);
    const bool whole = (SaturatingMul(natural.width(), natural.height()) <= PictureDecoder::kLazyDecodePixels ||
                        geometry.maxReduce == 0) &&
                       geometry.BytesAt(0) <= PictureDecoder::kByteBudget;
    return PictureDecoder::FromSource(natural, std::make_unique<Jpeg2000Source>(bytes, geometry), whole,
                                      coverArea);
}

} // namespace fw
