#include "framework/core/Volume.h"

namespace fw {

namespace {
std::string& BootRootOverride() {
    static std::string path;
    return path;
}
} // namespace

FolderItemRef Volume(int index) {
    if (index != 0) return nullptr;
    const std::string& root = BootRootOverride();
    return FolderItem::FromPath(root.empty() ? "/" : root);
}

void SetBootVolumeRootForTests(const std::string& path) { BootRootOverride() = path; }

} // namespace fw
