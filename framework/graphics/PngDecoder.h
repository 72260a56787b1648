#pragma once

#include "framework/graphics/Picture.h"

#include <QByteArray>
#include <QSize>

namespace fw {

// PNG through libpng, row by row: 16-bit samples are scaled to 8 bits as they are
// read, never held at full depth, and a picture wanted smaller is reduced while its
// rows arrive, so that memory stays near the size of the result. An embedded ICC
// profile is kept with the pixels.
class PngDecoder {
public:
    // `coverArea` as for PictureDecoder::Decode.
    static PictureRef Open(const QByteArray& bytes, QSize coverArea);
};

} // namespace fw
