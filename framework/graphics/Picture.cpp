#include "framework/graphics/Picture.h"

#include "framework/core/NumberRules.h"
#include "framework/graphics/FolderItemPicture.h"
#include "framework/graphics/Graphics.h"

#include <QColorSpace>
#include <QPainter>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <stdexcept>
#include <string>

namespace fw {

namespace {

// Beyond this many pixels a picture is refused rather than risking exhausted memory:
// a little more than the largest camera sensors make.
std::atomic<int64_t> gPixelLimit{120'000'000};

QImage ToStandardForm(QImage image) {
    if (image.isNull()) return image;
    // The card carries no profile, so a photo tagged with one (Adobe RGB, Display P3)
    // is brought to sRGB, or it would show its raw values and look washed out.
    const QColorSpace space = image.colorSpace();
    if (space.isValid() && space != QColorSpace(QColorSpace::SRgb)) {
        if (image.format() != QImage::Format_RGB32 && !image.hasAlphaChannel())
            image = image.convertToFormat(QImage::Format_RGB32);
        image.convertToColorSpace(QColorSpace::SRgb);
    }
    if (image.hasAlphaChannel()) {
        QImage out(image.size(), QImage::Format_RGB32);
        if (out.isNull()) return out;
        out.fill(Qt::white);
        QPainter painter(&out);
        painter.drawImage(0, 0, image);
        painter.end();
        return out;
    }
    if (image.format() == QImage::Format_RGB32) return image;
    return image.convertToFormat(QImage::Format_RGB32);
}

// A reduced decode that is within this of the wanted size in each direction still
// counts as covering it: the cover arithmetic works in doubles.
bool Covers(const QImage& image, double width, double height) {
    constexpr double kSlack = 1e-6;
    return !image.isNull() && image.width() + kSlack >= width && image.height() + kSlack >= height;
}

class ScaledSource final : public PictureSource {
public:
    ScaledSource(std::shared_ptr<Picture> original, QSize size) : original_(std::move(original)), size_(size) {}

    QImage Decode(QSize atLeast) override {
        const double f = std::min(1.0, std::max(atLeast.width() / double(size_.width()),
                                                atLeast.height() / double(size_.height())));
        const QSize want(int(std::ceil(size_.width() * f - 1e-6)), int(std::ceil(size_.height() * f - 1e-6)));
        if (SaturatingMul(want.width(), want.height()) > Picture::PixelLimit()) return {};
        return DecodeRegion(QRect(QPoint(0, 0), want.expandedTo(QSize(1, 1))), want);
    }

    QImage DecodeRegion(const QRect& part) override { return DecodeRegion(part, size_); }

private:
    // `part` of the original drawn at `scaled` size.
    QImage DecodeRegion(const QRect& part, QSize scaled) {
        QImage out(part.size(), QImage::Format_RGB32);
        if (out.isNull()) return out;
        out.fill(Qt::white);
        const double kx = scaled.width() / double(original_->Width());
        const double ky = scaled.height() / double(original_->Height());
        const Picture::Pixels pixels = original_->PixelsForScale(kx, ky);
        QPainter painter(&out);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(-part.x(), -part.y());
        painter.scale(kx / pixels.factorX, ky / pixels.factorY);
        painter.drawImage(0, 0, pixels.image);
        return out;
    }

    std::shared_ptr<Picture> original_;
    QSize size_;
};

} // namespace

Picture::Picture(int width, int height, int depth)
    : width_(width), height_(height), depth_(depth),
      image_(width, height, QImage::Format_RGB32) {
    image_.fill(Qt::white);
}

Picture::Picture(QImage image) : depth_(32) {
    image_ = ToStandardForm(std::move(image));
    width_ = image_.width();
    height_ = image_.height();
}

Picture::Picture(int width, int height, std::unique_ptr<PictureSource> source, QImage preview)
    : width_(width), height_(height), depth_(32), source_(std::move(source)) {
    if (!source_) {
        image_ = QImage(width, height, QImage::Format_RGB32);
        image_.fill(Qt::white);
        return;
    }
    if (preview.size() == QSize(width, height)) {
        image_ = ToStandardForm(std::move(preview));
        source_.reset();
    } else if (!preview.isNull()) {
        reduced_ = ToStandardForm(std::move(preview));
    }
}

Picture::~Picture() = default;

int64_t Picture::PixelLimit() { return gPixelLimit.load(); }
void Picture::SetPixelLimit(int64_t pixels) { gPixelLimit.store(pixels); }

std::shared_ptr<Picture> Picture::New(int width, int height, int depth) {
    if (width <= 0 || height <= 0) return nullptr;
    if (SaturatingMul(width, height) > PixelLimit()) return nullptr;
    auto picture = std::make_shared<Picture>(width, height, depth);
    if (picture->image_.isNull()) return nullptr;
    return picture;
}

std::shared_ptr<Picture> Picture::ScaledView(std::shared_ptr<Picture> original, int width, int height) {
    if (!original || width <= 0 || height <= 0) return nullptr;
    return std::make_shared<Picture>(width, height,
                                     std::make_unique<ScaledSource>(std::move(original), QSize(width, height)),
                                     QImage());
}

QImage Picture::Region(const QRect& part) const {
    if (source_) {
        QImage pixels = source_->DecodeRegion(part);
        if (!pixels.isNull()) return pixels;
    }
    return Image().copy(part);
}

std::shared_ptr<Picture> Picture::Mask(bool create) {
    if (!mask_ && create) {
        mask_ = std::make_shared<Picture>(width_, height_, 32);
        mask_->image_.fill(Qt::black);
    }
    return mask_;
}

Graphics& Picture::GetGraphics() {
    if (!graphics_) graphics_ = std::make_unique<Graphics>(this);
    return *graphics_;
}

void Picture::DecodeFully() const {
    if (!source_) return;
    QImage full = source_->Decode(QSize(width_, height_));
    if (full.isNull()) {
        // The header was sound but the data was not: keep the promised size, showing
        // what a new picture shows.
        full = QImage(width_, height_, QImage::Format_RGB32);
        full.fill(Qt::white);
    } else if (full.size() != QSize(width_, height_)) {
        full = full.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    image_ = ToStandardForm(std::move(full));
    source_.reset();
    reduced_ = QImage();
}

QImage& Picture::Image() {
    DecodeFully();
    return image_;
}

const QImage& Picture::Image() const {
    DecodeFully();
    return image_;
}

std::span<QRgb> Picture::Row(int y) {
    QImage& image = Image();
    if (y < 0 || y >= image.height()) throw std::out_of_range("picture row " + std::to_string(y));
    return {reinterpret_cast<QRgb*>(image.scanLine(y)), static_cast<size_t>(image.width())};
}

std::span<const QRgb> Picture::Row(int y) const {
    const QImage& image = Image();
    if (y < 0 || y >= image.height()) throw std::out_of_range("picture row " + std::to_string(y));
    return {reinterpret_cast<const QRgb*>(image.constScanLine(y)), static_cast<size_t>(image.width())};
}

bool Picture::IsStandardForm() const {
    if (source_) return true;
    return image_.format() == QImage::Format_RGB32 && image_.size() == QSize(width_, height_);
}

Picture::Pixels Picture::PixelsForScale(double scaleX, double scaleY) const {
    if (!source_ || !(scaleX < 1.0) || !(scaleY < 1.0)) return {Image(), 1.0, 1.0};
    const double wantW = width_ * std::max(scaleX, 0.0);
    const double wantH = height_ * std::max(scaleY, 0.0);
    if (!Covers(reduced_, wantW, wantH)) {
        const QSize want(static_cast<int>(std::ceil(wantW - 1e-6)),
                         static_cast<int>(std::ceil(wantH - 1e-6)));
        QImage better = source_->Decode(want.expandedTo(QSize(1, 1)));
        if (better.size() == QSize(width_, height_)) {
            image_ = ToStandardForm(std::move(better));
            source_.reset();
            reduced_ = QImage();
            return {image_, 1.0, 1.0};
        }
        if (!Covers(better, wantW, wantH)) return {Image(), 1.0, 1.0};
        reduced_ = ToStandardForm(std::move(better));
    }
    return {reduced_, reduced_.width() / static_cast<double>(width_),
            reduced_.height() / static_cast<double>(height_)};
}

QImage Picture::Composited() const {
    const QImage& base = Image();
    if (!mask_) return base;
    const QImage& mask = mask_->Image();
    if (!composited_.isNull() && compositedImageKey_ == base.cacheKey() &&
        compositedMaskKey_ == mask.cacheKey())
        return composited_;

    QImage out(base.size(), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull()) return base;
    const int w = std::min(base.width(), mask.width());
    const int h = std::min(base.height(), mask.height());
    out.fill(Qt::transparent);
    const Picture& maskPicture = *mask_;
    for (int y = 0; y < h; ++y) {
        const std::span<const QRgb> src = Row(y);
        const std::span<const QRgb> m = maskPicture.Row(y);
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            // Black is opaque, white transparent: alpha is the inverse of the grey level.
            const int alpha = 255 - qGray(m[x]);
            dst[x] = qPremultiply(qRgba(qRed(src[x]), qGreen(src[x]), qBlue(src[x]), alpha));
        }
    }
    composited_ = out;
    compositedImageKey_ = base.cacheKey();
    compositedMaskKey_ = mask.cacheKey();
    return composited_;
}

namespace {
// Any program that holds a picture links this file, so FolderItem can read and write
// picture files from before main on.
[[maybe_unused]] const bool pictureFilesInstalled =
    (FolderItem::InstallPictureFiles(&OpenPictureFile, &SavePictureAsJPEG), true);
} // namespace

} // namespace fw
