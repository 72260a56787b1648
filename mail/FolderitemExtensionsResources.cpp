#include "mail/FolderitemExtensions.h"

#include "framework/core/ExecutableFile.h"

namespace FolderitemExtensions {

namespace {
fw::FolderItemRef& mResourcesFolder() {
    static fw::FolderItemRef folder;
    return folder;
}
} // namespace

fw::FolderItemRef ResourcesFolder() {
    auto& cached = mResourcesFolder();
    // Cached as it is: whether the folder exists is the reader's matter.
    if (!cached) cached = fw::BundleResourcesFolder();
    return cached;
}

void ReleaseResourcesFolder() { mResourcesFolder().reset(); }

} // namespace FolderitemExtensions
