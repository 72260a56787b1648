#include "platform/effects/EnsurePictureCompatible.h"

#include "framework/graphics/Graphics.h"

namespace effects {

fw::PictureRef EnsurePictureCompatible(const fw::PictureRef& source) {
    if (!source || source->IsStandardForm()) return source;
    auto result = std::make_shared<fw::Picture>(
        source->Image().convertToFormat(QImage::Format_RGB32));
    if (auto mask = source->Mask(false)) result->Mask(true)->GetGraphics().DrawPicture(mask, 0, 0);
    return result;
}

} // namespace effects
