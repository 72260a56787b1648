#pragma once

#include "framework/graphics/Picture.h"

#include <QByteArray>
#include <QSize>

namespace fw {

// JPEG 2000 (the JP2 file format and bare codestreams) through OpenJPEG, called
// directly because it can decode at a reduced resolution (a power of two smaller,
// down to the file's coarsest level) and on several threads.
class Jpeg2000Decoder {
public:
    static bool IsJp2File(const QByteArray& bytes);
    static bool IsCodestream(const QByteArray& bytes);
    // `coverArea` as for PictureDecoder::Decode.
    static PictureRef Open(const QByteArray& bytes, QSize coverArea = {});
};

} // namespace fw
