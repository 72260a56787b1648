#include "framework/Application.h"

#include "framework/ExecutableFile.h"

namespace fw {

FolderItemRef Application::ExecutableFile() const { return fw::ExecutableFile(); }

} // namespace fw
