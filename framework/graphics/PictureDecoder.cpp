#include "framework/graphics/PictureDecoder.h"

#include "framework/core/NumberRules.h"
#include "framework/core/TextFunctions.h"
#include "framework/graphics/Jpeg2000Decoder.h"
#include "framework/graphics/JpegDecoder.h"
#include "framework/graphics/PictDecoder.h"
#include "framework/graphics/PngDecoder.h"
#include "framework/graphics/TiffDecoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QTransform>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <new>

namespace fw {

namespace {

// Qt's readers size their buffers themselves and refuse beyond this.
void AllowQtAllocation() {
    QImageReader::setAllocationLimit(static_cast<int>(PictureDecoder::kByteBudget >> 20));
}

int BytesPerPixel(QImage::Format format) {
    const int bits = QImage::toPixelFormat(format).bitsPerPixel();
    return bits > 0 ? (bits + 7) / 8 : 8;
}

PictureRef OpenWithQt(const QByteArray& bytes, const char* format) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly)) return nullptr;
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    // The header's size is checked before a pixel is decoded.
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) return nullptr;
    const int64_t pixels = SaturatingMul(size.width(), size.height());
    if (pixels > Picture::PixelLimit()) return nullptr;
    // The reader's own image, the 32-bit copy when it reads another form, and the file
    // itself, which an uncompressed bitmap reads in full.
    const QImage::Format read = reader.imageFormat();
    const int64_t cost = SaturatingMul(pixels, BytesPerPixel(read) + (read == QImage::Format_RGB32 ? 0 : 4)) + bytes.size();
    if (cost > PictureDecoder::kByteBudget) return nullptr;
    const QImageIOHandler::Transformations orientation = reader.transformation();
    QImage image = reader.read();
    if (image.isNull()) return nullptr;
    if (SaturatingMul(image.width(), image.height()) > Picture::PixelLimit()) return nullptr;
    return std::make_shared<Picture>(PictureDecoder::Oriented(std::move(image), orientation));
}

} // namespace

PictureDecoder::Format PictureDecoder::Sniff(const QByteArray& bytes, const std::string& fileName) {
    if (StartsWith(bytes, "\xFF\xD8\xFF", 3)) return Format::Jpeg;
    if (StartsWith(bytes, "\x89PNG\r\n\x1A\n", 8)) return Format::Png;
    if (StartsWith(bytes, "GIF87a", 6) || StartsWith(bytes, "GIF89a", 6)) return Format::Gif;
    if (StartsWith(bytes, "BM", 2) && bytes.size() >= 26) return Format::Bmp;
    if (StartsWith(bytes, "II*\0", 4) || StartsWith(bytes, "MM\0*", 4)) return Format::Tiff;
    if (Jpeg2000Decoder::IsJp2File(bytes) || Jpeg2000Decoder::IsCodestream(bytes))
        return Format::Jpeg2000;
    if (PictDecoder::HasVersionOpcode(bytes)) return Format::Pict;
    const std::string ext = LowerExtension(fileName);
    if (ext == "pict" || ext == "pic" || ext == "pct") return Format::Pict;
    return Format::Unknown;
}

bool PictureDecoder::StartsWith(const QByteArray& bytes, const void* signature, size_t length) {
    return static_cast<size_t>(bytes.size()) >= length &&
           std::memcmp(bytes.constData(), signature, length) == 0;
}

void PictureDecoder::Prepare(Format format) {
    const char* qtFormat = nullptr;
    switch (format) {
    case Format::Jpeg: qtFormat = "jpeg"; break;
    case Format::Gif: qtFormat = "gif"; break;
    case Format::Bmp: qtFormat = "bmp"; break;
    case Format::Tiff: qtFormat = "tiff"; break;
    case Format::Pict: PictDecoder::Prepare(); return;
    case Format::Png:
    case Format::Jpeg2000:
    case Format::Unknown: return;
    }
    QByteArray empty;
    QBuffer buffer(&empty);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, qtFormat);
    reader.canRead();
}

PictureRef PictureDecoder::Decode(const QByteArray& bytes, const std::string& fileName,
                                  QSize coverArea) {
    if (bytes.isEmpty()) return nullptr;
    try {
        AllowQtAllocation();
        switch (Sniff(bytes, fileName)) {
        case Format::Jpeg: return JpegDecoder::Open(bytes, coverArea);
        case Format::Png: return PngDecoder::Open(bytes, coverArea);
        case Format::Gif: return OpenWithQt(bytes, "gif");
        case Format::Bmp: return OpenWithQt(bytes, "bmp");
        // Qt's reader takes the few sample forms that libtiff's RGBA interface cannot,
        // within the budget of its own reckoning.
        case Format::Tiff:
            return TiffDecoder::TakesSamples(bytes) ? TiffDecoder::Open(bytes, coverArea) : OpenWithQt(bytes, "tiff");
        case Format::Jpeg2000: return Jpeg2000Decoder::Open(bytes, coverArea);
        case Format::Pict: return PictDecoder::Open(bytes, coverArea);
        case Format::Unknown: return nullptr;
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return nullptr;
}

PictureRef PictureDecoder::FromSource(QSize natural, std::unique_ptr<PictureSource> source,
                                      bool whole, QSize coverArea) {
    QSize want = whole ? natural : QSize(1, 1);
    if (!coverArea.isEmpty()) {
        const double s = std::max(coverArea.width() / double(natural.width()),
                                  coverArea.height() / double(natural.height()));
        // A picture one pixel wide can ask for a scale past the Int32 range.
        want = QSize(ToInt32(std::ceil(natural.width() * s - 1e-6)), ToInt32(std::ceil(natural.height() * s - 1e-6)))
                   .boundedTo(natural)
                   .expandedTo(QSize(1, 1));
    }
    // Any decode reads all the data, so a truncated or broken file is refused now
    // rather than when it is first drawn.
    QImage preview = source->Decode(want);
    if (preview.isNull()) return nullptr;
    return std::make_shared<Picture>(natural.width(), natural.height(), std::move(source),
                                     std::move(preview));
}

QImage PictureDecoder::Oriented(QImage image, QImageIOHandler::Transformations orientation) {
    if (image.isNull() || orientation == QImageIOHandler::TransformationNone) return image;
    const bool mirror = orientation & QImageIOHandler::TransformationMirror;
    const bool flip = orientation & QImageIOHandler::TransformationFlip;
    if (mirror || flip) image = image.mirrored(mirror, flip);
    if (orientation & QImageIOHandler::TransformationRotate90)
        image = image.transformed(QTransform().rotate(90));
    return image;
}

} // namespace fw
