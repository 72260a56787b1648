#pragma once

#include "framework/FolderItem.h"

#include <string>

namespace fw {

// The running program's executable file. Tests point it at a fake bundle so that
// "the Resources folder beside the executable's folder" can be arranged.
FolderItemRef ExecutableFile();
void SetExecutableFileForTests(const std::string& path);   // empty restores the real one

} // namespace fw
