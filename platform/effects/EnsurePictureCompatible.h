#pragma once

#include "framework/Picture.h"

namespace effects {

// The picture in the framework's standard form (32-bit RGB, its mask kept); never
// nil for a picture.
fw::PictureRef EnsurePictureCompatible(const fw::PictureRef& source);

} // namespace effects
