#pragma once

#include <string>

namespace decodehelper {

// The decoders' own messages. libtiff, ImageMagick and Qt's image readers report
// every field they skip and every byte they repair, a line each, on standard error:
// a crafted file makes that hundreds of kilobytes per decode. In the helper they are
// counted instead, and at most one line about them reaches standard error.
class DecoderMessages {
public:
    // Takes the messages of all three from now on; before anything decodes.
    static void Capture();
    // One line on standard error when any came: how many, and the first of them.
    // `fileName` names the picture in it.
    static void Summarize(const std::string& fileName);
};

} // namespace decodehelper
