#pragma once

#include <QImage>

#include <memory>

namespace fw {

class Graphics;

// A picture: 32-bit RGB pixels for depth 24 and 32 alike, and an optional mask of
// the same size in which black is opaque and white transparent. A new picture is
// white and its graphics draws in black.
class Picture : public std::enable_shared_from_this<Picture> {
public:
    Picture(int width, int height, int depth);
    explicit Picture(QImage image);   // takes a decoded image; converted to RGB32
    ~Picture();

    // NewPicture: nil for a size the framework refuses (not positive, or absurd).
    static std::shared_ptr<Picture> New(int width, int height, int depth);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Depth() const { return depth_; }

    // Mask(false) is nil when the picture has none; Mask(true) makes a missing one,
    // black, so that the picture stays opaque until something draws into the mask.
    std::shared_ptr<Picture> Mask(bool create);
    bool HasMask() const { return mask_ != nullptr; }

    // The picture's own graphics, made once and kept.
    Graphics& GetGraphics();

    // The pixels, RGB32. Writers must not change the size.
    QImage& Image();
    const QImage& Image() const;
    // The pixels with the mask applied as alpha (ARGB32 premultiplied), for
    // compositing; the plain image when there is no mask.
    QImage Composited() const;

private:
    int width_;
    int height_;
    int depth_;
    QImage image_;
    std::shared_ptr<Picture> mask_;
    std::unique_ptr<Graphics> graphics_;
};

using PictureRef = std::shared_ptr<Picture>;

} // namespace fw
