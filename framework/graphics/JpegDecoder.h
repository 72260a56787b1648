#pragma once

#include "framework/graphics/Picture.h"

#include <QByteArray>
#include <QSize>

namespace fw {

// JPEG through Qt's reader, which hands libjpeg's DCT scaling through
// QImageReader::setScaledSize: a large photo decodes at an eighth, a quarter, ... of
// its size in a fraction of the time of a full decode.
class JpegDecoder {
public:
    // What the markers of a JPEG stream say. Qt's reader quietly fills a truncated
    // file with grey, so the stream's structure is checked here before it decodes:
    // the frame header must be there and the markers must run to the end-of-image.
    struct Structure {
        bool complete = false;
        QSize size;            // as stored, before any orientation tag
        int components = 0;
        int scans = 0;
    };
    // Every scan of a progressive stream is a pass over the whole picture, so a small
    // file of thousands of empty scans takes minutes; encoders write a dozen or so.
    static constexpr int kMaxScans = 100;
    static Structure Scan(const QByteArray& bytes);

    // `coverArea` as for PictureDecoder::Decode.
    static PictureRef Open(const QByteArray& bytes, QSize coverArea = {});
};

} // namespace fw
