#pragma once

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Picture.h"

namespace effects {

// Renders a cloud texture shaped by a source picture: light where the source is
// light, darker and mottled where it is dark. Used as a mask (black opaque), it
// gives ink a rubber-stamped look. The pattern is the same on every run and depends
// only on the pixel position, so equal sources give equal textures.
class TextureRenderer {
public:
    // The texture runs from black (dense ink) to its light colour: TextureColor when
    // UseTextureColor is set, else white.
    fw::Color TextureColor = 0x000000;
    bool UseTextureColor = false;

    // The texture at the source's size; mask, when given (of the source's size),
    // limits it to the mask's opaque part: where the mask is white the texture is
    // its light colour.
    fw::PictureRef RenderClouds(const fw::PictureRef& source, const fw::PictureRef& mask) const;
};

} // namespace effects
