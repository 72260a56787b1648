#include "framework/core/Application.h"

#include "framework/core/ExecutableFile.h"

#include <QString>

namespace fw {

namespace {
int BundleNumber(const char* key) { return QString::fromStdString(BundleInfo(key)).toInt(); }
} // namespace

Application::Application()
    : ShortVersion(BundleInfo("ShortVersion")), MajorVersion(BundleNumber("MajorVersion")),
      MinorVersion(BundleNumber("MinorVersion")), BugVersion(BundleNumber("BugVersion")),
      NonReleaseVersion(BundleNumber("NonReleaseVersion")) {}

FolderItemRef Application::ExecutableFile() const { return fw::ExecutableFile(); }

} // namespace fw
