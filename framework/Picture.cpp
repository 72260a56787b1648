#include "framework/Picture.h"

#include "framework/Graphics.h"

namespace fw {

namespace {
// Beyond this many pixels a picture is refused rather than risking exhausted memory.
constexpr qint64 kMaxPixels = 100'000'000;
} // namespace

Picture::Picture(int width, int height, int depth)
    : width_(width), height_(height), depth_(depth),
      image_(width, height, QImage::Format_RGB32) {
    image_.fill(Qt::white);
}

Picture::Picture(QImage image) : depth_(32) {
    image_ = image.format() == QImage::Format_RGB32 ? std::move(image)
                                                     : image.convertToFormat(QImage::Format_RGB32);
    width_ = image_.width();
    height_ = image_.height();
}

Picture::~Picture() = default;

std::shared_ptr<Picture> Picture::New(int width, int height, int depth) {
    if (width <= 0 || height <= 0) return nullptr;
    if (static_cast<qint64>(width) * height > kMaxPixels) return nullptr;
    auto picture = std::make_shared<Picture>(width, height, depth);
    if (picture->image_.isNull()) return nullptr;
    return picture;
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

QImage& Picture::Image() { return image_; }
const QImage& Picture::Image() const { return image_; }

QImage Picture::Composited() const {
    if (!mask_) return image_;
    QImage out = image_.convertToFormat(QImage::Format_ARGB32);
    const QImage& mask = mask_->image_;
    for (int y = 0; y < height_; ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        const auto* m = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        for (int x = 0; x < width_; ++x) {
            // Black is opaque, white transparent: alpha is the inverse of the grey level.
            const int alpha = 255 - qGray(m[x]);
            row[x] = qRgba(qRed(row[x]), qGreen(row[x]), qBlue(row[x]), alpha);
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace fw
