#pragma once

#include "framework/graphics/Picture.h"

namespace effects {

// The picture in the framework's standard form (32-bit RGB of its own size, its
// mask kept); never nil for a picture, nil for nil. A picture already in that form
// comes back as it is, without being decoded: a large photo opened lazily keeps its
// reduced decoding for the cover-scaling that follows.
fw::PictureRef EnsurePictureCompatible(const fw::PictureRef& source);

} // namespace effects
