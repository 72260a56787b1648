#include "mail/FolderitemExtensions.h"

#include "framework/Exceptions.h"
#include "framework/ExecutableFile.h"

namespace FolderitemExtensions {

namespace {
fw::FolderItemRef& mResourcesFolder() {
    static fw::FolderItemRef folder;
    return folder;
}
} // namespace

fw::FolderItemRef ResourcesFolder() {
    auto& cached = mResourcesFolder();
    if (!cached) {
        const auto binFolder = fw::Deref(fw::ExecutableFile()).Parent();
        const auto bundleFolder = fw::Deref(binFolder).Parent();
        // Cached as it is: whether the folder exists is the reader's matter.
        cached = fw::Deref(bundleFolder).Child("Resources");
    }
    return cached;
}

void ReleaseResourcesFolder() { mResourcesFolder().reset(); }

} // namespace FolderitemExtensions
