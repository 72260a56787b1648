#pragma once

#include "framework/graphics/Picture.h"

namespace fw {

// The system clipboard, opened for one use.
class Clipboard {
public:
    bool PictureAvailable() const;
    // The clipboard's picture, or nil.
    PictureRef Picture() const;
    // Puts the picture on the clipboard as an image other programs can paste, also
    // as PNG data.
    void SetPicture(const PictureRef& picture);
    void Close() {}
};

} // namespace fw
