#pragma once

#include "framework/core/FolderItem.h"

#include <string>

namespace fw {

// The mounted volumes; only the boot volume (index 0), the file-system root, is
// known here. Any other index gives nil.
FolderItemRef Volume(int index);

// Test seam: makes Volume(0) the given folder, so that tests can lay out their own
// "usr/bin". An empty path restores "/".
void SetBootVolumeRootForTests(const std::string& path);

} // namespace fw
