#include "app/ProjectPictures.h"

#include "framework/core/ExecutableFile.h"
#include "framework/graphics/FolderItemPicture.h"
#include "framework/graphics/Graphics.h"

namespace {

struct Caches {
    fw::PictureRef overlayMask;
    fw::PictureRef overlay;
    fw::PictureRef placeholder;
    fw::PictureRef defaultStamp;
};

Caches& Cache() {
    static Caches caches;
    return caches;
}

fw::PictureRef Load(fw::PictureRef& cache, const char* fileName) {
    if (cache) return cache;
    // Found anew on every load, not through the advert page's cached folder.
    if (auto folder = fw::BundleResourcesFolder()) {
        auto file = folder->Child(fileName);
        // The bundle's own pictures need no helper process.
        cache = file ? fw::OpenOwnPictureFile(*file) : nullptr;
    }
    return cache;
}

} // namespace

fw::PictureRef StampOverlayMask() { return Load(Cache().overlayMask, "StampOverlayMask.jpg"); }

fw::PictureRef StampOverlay() {
    auto& cache = Cache().overlay;
    if (cache) return cache;
    if (Load(cache, "StampOverlay.jpg")) {
        // Once, on the load: the mask picture is drawn into the overlay's mask.
        auto maskPicture = StampOverlayMask();
        if (maskPicture) cache->Mask(true)->GetGraphics().DrawPicture(maskPicture, 0, 0);
    }
    return cache;
}

fw::PictureRef unfsImage() { return Load(Cache().placeholder, "unfsImage.jpg"); }

fw::PictureRef DefaultStampImage() { return Load(Cache().defaultStamp, "DefaultStampImage.jpg"); }

void ResetProjectPicturesForTests() { Cache() = Caches{}; }
