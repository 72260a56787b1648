#pragma once

#include <QImage>

#include <cstdint>
#include <memory>
#include <span>

namespace fw {

class Graphics;
class RGBSurface;

// Where a picture opened from a file gets its pixels when it was not decoded in
// full at once. Formats that can decode at a reduced resolution (JPEG's DCT scaling,
// JPEG 2000's resolution levels) implement it.
class PictureSource {
public:
    virtual ~PictureSource() = default;
    // The pixels, orientation applied, at the cheapest resolution whose width and
    // height are both at least those of `atLeast` (the full resolution when nothing
    // smaller covers it), in RGB32; a null image when decoding fails.
    virtual QImage Decode(QSize atLeast) = 0;
    // The full-resolution pixels of one part, for sources that can give a part
    // without the whole; a null image otherwise.
    virtual QImage DecodeRegion(const QRect&) { return {}; }
};

// A picture: 32-bit RGB pixels for depth 24 and 32 alike, and an optional mask of
// the same size in which black is opaque and white transparent. A new picture is
// white and its graphics draws in black.
//
// A picture opened from a large file may hold only a reduced decode until a caller
// needs more: Width() and Height() are always the natural size, drawing scaled down
// uses the reduced pixels, and any access to Image() decodes in full first.
class Picture : public std::enable_shared_from_this<Picture> {
public:
    Picture(int width, int height, int depth);
    // Takes a decoded image and turns it into the standard form, RGB32; an image
    // with transparency is laid over white, the colour of a new picture.
    explicit Picture(QImage image);
    // A picture of natural size width x height whose pixels come from `source` when
    // needed; `preview` is an already decoded reduced form of it, or null.
    Picture(int width, int height, std::unique_ptr<PictureSource> source, QImage preview);
    ~Picture();

    // NewPicture: nil for a size the framework refuses (not positive, or absurd).
    static std::shared_ptr<Picture> New(int width, int height, int depth);
    // `original` as if drawn smoothly into a new width x height picture, without
    // holding those pixels: parts are drawn from the original when asked for, so an
    // enlargement of any size costs only what is drawn of it.
    static std::shared_ptr<Picture> ScaledView(std::shared_ptr<Picture> original, int width, int height);

    // The most pixels a picture may hold; decoders refuse larger files before
    // decoding them. Adjustable so that a fuzzer can keep its memory small.
    static int64_t PixelLimit();
    static void SetPixelLimit(int64_t pixels);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Depth() const { return depth_; }

    // Mask(false) is nil when the picture has none; Mask(true) makes a missing one,
    // black, so that the picture stays opaque until something draws into the mask.
    std::shared_ptr<Picture> Mask(bool create);
    bool HasMask() const { return mask_ != nullptr; }

    // The picture's own graphics, made once and kept.
    Graphics& GetGraphics();
    // RGBSurface: pixel access to the colours; it must not outlive the picture.
    std::shared_ptr<RGBSurface> Surface();

    // The pixels, RGB32, decoded in full. Writers must not change the size or format.
    QImage& Image();
    const QImage& Image() const;
    // One row of those pixels, 0xFFRRGGBB, for loops over every pixel; a row outside
    // the picture throws std::out_of_range.
    std::span<QRgb> Row(int y);
    std::span<const QRgb> Row(int y) const;
    // The pixels with the mask applied as alpha (ARGB32 premultiplied), for
    // compositing; the plain image when there is no mask. Kept until the picture or
    // its mask changes, so that drawing a masked picture again is a plain blit.
    QImage Composited() const;

    // True once the full-resolution pixels are present.
    bool IsFullyDecoded() const { return source_ == nullptr; }
    // True when the pixels are (or will decode to) RGB32 of the natural size, the
    // form every drawing call expects. Never decodes.
    bool IsStandardForm() const;

    // Pixels good enough to draw the picture scaled by scaleX x scaleY (destination
    // pixels per picture pixel), and the size of one picture pixel in them. Gives
    // the full pixels (factors 1) unless a reduced decode covers the request.
    struct Pixels {
        QImage image;
        double factorX = 1.0;
        double factorY = 1.0;
    };
    Pixels PixelsForScale(double scaleX, double scaleY) const;
    // The full-resolution pixels of `part` (inside the picture), without decoding the
    // rest when the source can give a part alone.
    QImage Region(const QRect& part) const;

private:
    void DecodeFully() const;

    int width_;
    int height_;
    int depth_;
    // Mutable because a const read of the pixels may have to finish a lazy decode.
    mutable QImage image_;
    mutable std::unique_ptr<PictureSource> source_;
    mutable QImage reduced_;
    std::shared_ptr<Picture> mask_;
    std::unique_ptr<Graphics> graphics_;

    mutable QImage composited_;
    mutable int64_t compositedImageKey_ = 0;
    mutable int64_t compositedMaskKey_ = 0;
};

using PictureRef = std::shared_ptr<Picture>;

} // namespace fw
