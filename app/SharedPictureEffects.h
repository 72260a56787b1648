#pragma once

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Picture.h"
#include "platform/effects/RotateEffect.h"

#include <memory>

// Turns pictures with one rotation effect shared by the whole run. A picture's mask
// turns with it, so the corners the turned picture leaves come out transparent.
class SharedPictureEffects {
public:
    // A new picture; the source and its mask are left as they were.
    static fw::PictureRef Rotate(const fw::PictureRef& source, int angle, fw::Color backColor,
                                 effects::RotationMethod method);
    static void Release();

    static std::shared_ptr<effects::RotateEffect> rotKing;
};
