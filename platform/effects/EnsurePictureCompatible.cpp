#include "platform/effects/EnsurePictureCompatible.h"

#include "framework/Exceptions.h"

namespace effects {

fw::PictureRef EnsurePictureCompatible(const fw::PictureRef& source) {
    fw::Deref(source, "EnsurePictureCompatible source");
    if (source->Image().format() == QImage::Format_RGB32) return source;
    return std::make_shared<fw::Picture>(source->Image().convertToFormat(QImage::Format_RGB32));
}

} // namespace effects
