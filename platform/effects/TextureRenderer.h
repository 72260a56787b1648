#pragma once

#include "framework/Graphics.h"
#include "framework/Picture.h"

namespace effects {

// Renders a cloud texture shaped by a source picture: light where the source is
// light, darker and mottled where it is dark. Used as a mask (black opaque), it
// gives ink a rubber-stamped look. The pattern is the same on every run.
class TextureRenderer {
public:
    fw::Color TextureColor = 0x000000;
    bool UseTextureColor = false;

    // The texture at the source's size; mask, when given, limits it to the mask's
    // opaque part.
    fw::PictureRef RenderClouds(const fw::PictureRef& source, const fw::PictureRef& mask) const;
};

} // namespace effects
