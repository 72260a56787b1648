#pragma once

#include "framework/graphics/Picture.h"

#include <QByteArray>
#include <QSize>

namespace fw {

// TIFF through libtiff, a piece at a time: striped pictures row by row, tiled ones
// and those stored in separate planes a row of tiles or strips at a time, each piece
// reduced into the result as it arrives. libtiff's own buffers for one piece are
// counted in the decode's budget, so that a small file of one huge compressed strip
// cannot hold the whole picture at full size. The orientation tag and an embedded
// ICC profile are honoured; only the first page is read.
class TiffDecoder {
public:
    // `coverArea` as for PictureDecoder::Decode.
    static PictureRef Open(const QByteArray& bytes, QSize coverArea);
    // False for a TIFF whose samples libtiff cannot turn into RGBA (floating-point
    // ones, for instance), which Open refuses; true for one it can, or one too broken
    // to say.
    static bool TakesSamples(const QByteArray& bytes);
};

} // namespace fw
