#include "framework/graphics/JpegDecoder.h"

#include "framework/core/NumberRules.h"
#include "framework/graphics/PictureDecoder.h"

#include <QBuffer>
#include <QImageReader>

#include <cstring>

namespace fw {

namespace {

class JpegSource final : public PictureSource {
public:
    JpegSource(QByteArray bytes, QSize stored, QImageIOHandler::Transformations orientation)
        : bytes_(std::move(bytes)), stored_(stored), orientation_(orientation) {}

    QImage Decode(QSize atLeast) override {
        if (orientation_ & QImageIOHandler::TransformationRotate90) atLeast.transpose();
        // libjpeg scales by n/8; the smallest n whose result still covers the request.
        int eighths = 8;
        for (int n = 1; n < 8; ++n) {
            if (CeilDiv(int64_t{stored_.width()} * n, 8) >= atLeast.width() &&
                CeilDiv(int64_t{stored_.height()} * n, 8) >= atLeast.height()) {
                eighths = n;
                break;
            }
        }
        QBuffer buffer(&bytes_);
        if (!buffer.open(QIODevice::ReadOnly)) return {};
        QImageReader reader(&buffer, "jpeg");
        reader.setAutoTransform(false);
        if (eighths < 8)
            reader.setScaledSize(QSize(static_cast<int>(CeilDiv(int64_t{stored_.width()} * eighths, 8)),
                                       static_cast<int>(CeilDiv(int64_t{stored_.height()} * eighths, 8))));
        QImage image = reader.read();
        if (image.isNull()) return {};
        return PictureDecoder::Oriented(std::move(image), orientation_);
    }

private:
    QByteArray bytes_;
    QSize stored_;
    QImageIOHandler::Transformations orientation_;
};

uint16_t Read16(const uchar* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

bool IsFrameMarker(uchar m) {
    // SOF0..SOF15 without DHT (C4), JPG (C8) and DAC (CC).
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

} // namespace

JpegDecoder::Structure JpegDecoder::Scan(const QByteArray& bytes) {
    Structure out;
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const size_t n = static_cast<size_t>(bytes.size());
    if (n < 4 || p[0] != 0xFF || p[1] != 0xD8) return out;
    size_t i = 2;
    bool frame = false;
    bool scan = false;
    while (i < n) {
        if (p[i] != 0xFF) {
            // Stray bytes between segments: libjpeg skips them with a warning.
            const void* next = std::memchr(p + i, 0xFF, n - i);
            if (!next) return out;
            i = static_cast<size_t>(static_cast<const uchar*>(next) - p);
        }
        while (i < n && p[i] == 0xFF) ++i;
        if (i >= n) return out;
        const uchar marker = p[i++];
        if (marker == 0xD9) {
            out.complete = frame && scan;
            return out;
        }
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (n - i < 2) return out;
        const size_t length = Read16(p + i);
        if (length < 2 || length > n - i) return out;
        if (IsFrameMarker(marker) && !frame) {
            if (length < 8) return out;
            out.size = QSize(Read16(p + i + 5), Read16(p + i + 3));
            out.components = p[i + 7];
            // A height of 0 defers it to a DNL marker, which the readers do not support.
            if (out.size.isEmpty() || out.components < 1) return out;
            frame = true;
        }
        i += length;
        if (marker == 0xDA) {
            if (!frame) return out;
            scan = true;
            ++out.scans;
            // Entropy-coded data runs to the next marker that is neither a stuffed
            // 0xFF00 nor a restart marker.
            for (;;) {
                const void* ff = std::memchr(p + i, 0xFF, n - i);
                if (!ff) return out;
                size_t j = static_cast<size_t>(static_cast<const uchar*>(ff) - p) + 1;
                while (j < n && p[j] == 0xFF) ++j;
                if (j >= n) return out;
                if (p[j] == 0x00 || (p[j] >= 0xD0 && p[j] <= 0xD7)) {
                    i = j + 1;
                    continue;
                }
                i = j - 1;
                break;
            }
        }
    }
    return out;
}

PictureRef JpegDecoder::Open(const QByteArray& bytes, QSize coverArea) {
    const Structure structure = Scan(bytes);
    if (!structure.complete || structure.scans > kMaxScans) return nullptr;
    const int64_t pixels = SaturatingMul(structure.size.width(), structure.size.height());
    if (pixels > Picture::PixelLimit()) return nullptr;

    QByteArray data = bytes;
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly)) return nullptr;
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(false);
    if (!reader.canRead() || reader.size() != structure.size) return nullptr;
    const QImageIOHandler::Transformations orientation = reader.transformation();
    buffer.close();

    QSize natural = structure.size;
    if (orientation & QImageIOHandler::TransformationRotate90) natural.transpose();
    return PictureDecoder::FromSource(
        natural, std::make_unique<JpegSource>(std::move(data), structure.size, orientation),
        pixels <= PictureDecoder::kLazyDecodePixels, coverArea);
}

} // namespace fw
