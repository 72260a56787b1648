#include "interfacekit/InterfaceKitSupport.h"

#include "framework/core/Exceptions.h"
#include "framework/core/NumberRules.h"
#include "framework/graphics/RGBSurface.h"

#include <algorithm>

namespace InterfaceKitSupport {

namespace {

constexpr int kDepth = 32;

// A copy with all of p's colours, p's transparency kept apart in the copy's mask.
// p's mask is made opaque for a moment so that every colour comes across, then
// restored, together with its graphics' fore colour.
fw::PictureRef OpaqueCopy(const fw::PictureRef& p) {
    fw::Picture& source = fw::Deref(p);
    fw::PictureRef n = fw::Picture::New(source.Width(), source.Height(), kDepth);
    fw::Deref(n);
    fw::PictureRef sourceMask = source.Mask(true);
    if (!sourceMask) {
        n->GetGraphics().DrawPicture(p, 0, 0);
        return n;
    }
    fw::PictureRef copyMask = n->Mask(true);
    copyMask->GetGraphics().DrawPicture(sourceMask, 0, 0);
    fw::Graphics& maskGraphics = sourceMask->GetGraphics();
    const fw::Color savedColor = maskGraphics.ForeColor;
    maskGraphics.ForeColor = 0x000000;
    maskGraphics.FillRect(0, 0, source.Width(), source.Height());
    n->GetGraphics().DrawPicture(p, 0, 0);
    maskGraphics.DrawPicture(copyMask, 0, 0);
    maskGraphics.ForeColor = savedColor;
    return n;
}

void Transform(const fw::PictureRef& picture, int32_t (*rule)(int32_t)) {
    fw::RGBSurface::Map map{};
    for (int32_t i = 0; i < 256; ++i) map[static_cast<size_t>(i)] = rule(i);
    fw::Deref(fw::Deref(picture).Surface()).Transform(map);
}

} // namespace

fw::PictureRef AsDisabledIcon(const fw::PictureRef& p) {
    fw::PictureRef n = OpaqueCopy(p);
    // Opaque becomes half transparent; a picture that can have no mask is lightened.
    fw::PictureRef target = n->Mask(true);
    Transform(target ? target : n, [](int32_t i) { return fw::ToInt32(i * (127.0 / 255.0) + 128.0); });
    return n;
}

fw::PictureRef AsPressedIcon(const fw::PictureRef& p) {
    fw::PictureRef n = OpaqueCopy(p);
    Transform(n, [](int32_t i) { return std::max(0, i - 128); });
    return n;
}

fw::PictureRef AsEngraved(const fw::PictureRef& p) {
    fw::Picture& source = fw::Deref(p);
    const int w = source.Width();
    const int h = source.Height();
    fw::PictureRef n = fw::Picture::New(w, h + 1, kDepth);
    fw::Deref(n);
    fw::PictureRef sourceMask = source.Mask(true);
    if (!sourceMask) {
        n->GetGraphics().DrawPicture(p, 0, 0);
        return n;
    }
    // A solid silhouette of p's shape, in the colour a new graphics draws with.
    fw::PictureRef silhouette = fw::Picture::New(w, h, kDepth);
    fw::Deref(silhouette).GetGraphics().FillRect(0, 0, w, h);
    silhouette->Mask(true)->GetGraphics().DrawPicture(sourceMask, 0, 0);

    fw::Graphics& mask = n->Mask(true)->GetGraphics();
    mask.ClearRect(0, 0, w, h + 1);
    mask.DrawPicture(silhouette, 0, 0);
    mask.DrawPicture(silhouette, 0, 1);
    // Twice: soft edges come out stronger, which the engraved look wants.
    n->GetGraphics().DrawPicture(p, 0, 0);
    n->GetGraphics().DrawPicture(p, 0, 0);
    return n;
}

fw::PictureRef AsEngravedInversed(const fw::PictureRef& p) {
    fw::PictureRef e = AsEngraved(p);
    Transform(e, [](int32_t i) { return 255 - i; });
    return e;
}

} // namespace InterfaceKitSupport
