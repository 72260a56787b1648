#include "framework/ExecutableFile.h"

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

} // namespace fw
