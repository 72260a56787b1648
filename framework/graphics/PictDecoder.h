#pragma once

#include "framework/graphics/Picture.h"

#include <QByteArray>
#include <QSize>

namespace fw {

// QuickDraw PICT through ImageMagick's Magick++. The coder is always named ("PICT"),
// so that ImageMagick never picks one of its many other coders from the content,
// and its resource limits (memory, map, disk, pixel area) are set before first use.
// A picture of one full-frame pixmap, as image editors write it, goes to the coder
// in bands of rows, each reduced into the result as it comes; any other is decoded
// in one piece, and refused when the coder's working memory for that would pass
// the budget.
class PictDecoder {
public:
    // The picture frame from the header (after the optional 512-byte preamble):
    // invalid when the bytes are too short or the frame is empty.
    static QSize FrameSize(const QByteArray& bytes);
    // True when a PICT version opcode follows the frame, with or without the preamble.
    static bool HasVersionOpcode(const QByteArray& bytes);
    // `coverArea` as for PictureDecoder::Decode.
    static PictureRef Open(const QByteArray& bytes, QSize coverArea);
    // Initialises ImageMagick with its limits and loads the PICT coder, which reads
    // files; Open does it too when it has not been done.
    static void Prepare();
    // ImageMagick's own time limit for one run of the coder, in seconds.
    static constexpr int kSecondsLimit = 5;
};

} // namespace fw
