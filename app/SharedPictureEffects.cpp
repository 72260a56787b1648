#include "app/SharedPictureEffects.h"

#include "framework/core/Exceptions.h"

std::shared_ptr<effects::RotateEffect> SharedPictureEffects::rotKing;

fw::PictureRef SharedPictureEffects::Rotate(const fw::PictureRef& source, int angle, fw::Color backColor,
                                            effects::RotationMethod method) {
    if (!rotKing) rotKing = std::make_shared<effects::RotateEffect>();
    auto result = rotKing->Apply(source, static_cast<double>(angle), backColor, method);
    if (source->Mask(false)) {
        auto mask = fw::Deref(result, "rotated picture").Mask(true);
        auto turnedMask = rotKing->Apply(source->Mask(true), static_cast<double>(angle), 0xFFFFFF, method);
        mask->GetGraphics().DrawPicture(turnedMask, 0, 0);
    }
    return result;
}

void SharedPictureEffects::Release() { rotKing.reset(); }
