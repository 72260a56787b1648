#pragma once

#include "framework/core/FolderItem.h"

#include <string>

namespace fw {

// The running program's executable file. Tests point it at a fake bundle so that
// "the Resources folder beside the executable's folder" can be arranged.
FolderItemRef ExecutableFile();
void SetExecutableFileForTests(const std::string& path);   // empty restores the real one

// The bundle's "Resources" folder: the child of that name of the executable's
// folder's parent, found anew on every call; it need not exist. Raises
// NilObjectException when those folders cannot be named.
FolderItemRef BundleResourcesFolder();

// What the bundle records about the application, in the file "Info.txt" beside the
// Resources folder (lines "key=value"): its version fields and creator code. A key
// the bundle does not record, or a bundle without the file, gives the empty text.
std::string BundleInfo(const std::string& key);

} // namespace fw
