#pragma once

#include "framework/graphics/Picture.h"

namespace fw {

// The system clipboard, opened for one use.
class Clipboard {
public:
    // What the clipboard's change notices last told; never waits.
    bool PictureAvailable() const;
    // The clipboard's picture, or nil; nil also when its owner does not answer
    // within a short wait.
    PictureRef Picture() const;
    // Puts the picture on the clipboard as an image other programs can paste, also
    // as PNG data.
    void SetPicture(const PictureRef& picture);
    void Close() {}
};

} // namespace fw
