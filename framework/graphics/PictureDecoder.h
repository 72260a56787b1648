#pragma once

#include "framework/graphics/Picture.h"

#include <QByteArray>
#include <QImageIOHandler>

#include <string>

namespace fw {

// The one way from the bytes of a picture file to a picture, for the seven picture
// types the program opens: JPEG, GIF and BMP through Qt's readers, PNG through
// libpng, TIFF through libtiff (Qt's reader for floating-point samples), JPEG 2000
// through OpenJPEG, PICT through ImageMagick with its coder named explicitly.
//
// The format is decided here, by the bytes' signature, never by a library's
// guess; only PICT, whose signature is weak, may also be chosen by the file name.
// Every decoder checks the size its header declares against Picture::PixelLimit()
// before it decodes, honours an orientation tag, and gives nil for anything it
// cannot read; nothing here throws.
class PictureDecoder {
public:
    enum class Format { Unknown, Jpeg, Png, Gif, Bmp, Tiff, Jpeg2000, Pict };
    // How far one pass of a decoder over the bytes goes.
    enum class Pass { HeaderOnly, Pixels };

    // The bytes begin with the `length` bytes of `signature`.
    static bool StartsWith(const QByteArray& bytes, const void* signature, size_t length);
    static Format Sniff(const QByteArray& bytes, const std::string& fileName);
    // Loads now whatever the decoder of `format` would load from disk on first use
    // (a Qt image plug-in, ImageMagick's coder), so that a process can forbid itself
    // to open files before it decodes.
    static void Prepare(Format format);
    // `coverArea`, when not empty, is the area the picture is first drawn to cover
    // (scaled by max(area width / width, area height / height)); decoders that can
    // reduce decode once, at the smallest scale that still covers it.
    static PictureRef Decode(const QByteArray& bytes, const std::string& fileName = {},
                             QSize coverArea = {});

    // Pictures of up to this many pixels decode in full when opened; larger JPEG and
    // JPEG 2000 pictures decode at their smallest resolution when opened (which
    // proves the data sound) and at the resolution they are drawn at when drawn.
    static constexpr int64_t kLazyDecodePixels = 2'000'000;

    // The most bytes one picture's decode may hold at once, the decoder's own working
    // memory included; a picture that cannot be read within it is refused.
    static constexpr int64_t kByteBudget = int64_t{512} << 20;

    // A picture of natural size from a source that decodes at reduced resolutions,
    // decoded now (which proves the data sound) at the scale `coverArea` asks for,
    // else in full when `whole`, else at its coarsest, and decoded further when drawn
    // larger. Nil when the data fails.
    static PictureRef FromSource(QSize natural, std::unique_ptr<PictureSource> source, bool whole,
                                 QSize coverArea);

    // Applies an orientation tag (mirror and flip first, then a quarter turn
    // clockwise, as the tag's values are defined).
    static QImage Oriented(QImage image, QImageIOHandler::Transformations orientation);
};

} // namespace fw
