#include "framework/ExecutableFile.h"

#include "framework/Exceptions.h"

#include <QCoreApplication>

namespace fw {

namespace {
std::string& Override() {
    static std::string path;
    return path;
}
} // namespace

FolderItemRef ExecutableFile() {
    if (!Override().empty()) return FolderItem::FromPath(Override());
    return FolderItem::FromPath(QCoreApplication::applicationFilePath().toStdString());
}

void SetExecutableFileForTests(const std::string& path) { Override() = path; }

FolderItemRef BundleResourcesFolder() {
    const auto binFolder = Deref(ExecutableFile(), "ExecutableFile").Parent();
    const auto bundleFolder = Deref(binFolder, "executable's folder").Parent();
    return Deref(bundleFolder, "bundle folder").Child("Resources");
}

} // namespace fw
