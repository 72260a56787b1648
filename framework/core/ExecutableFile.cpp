#include "framework/core/ExecutableFile.h"

#include "framework/core/Exceptions.h"
#include "framework/core/RegularFile.h"

#include <QCoreApplication>
#include <QTextStream>

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

std::string BundleInfo(const std::string& key) {
    const auto binFolder = Deref(ExecutableFile(), "ExecutableFile").Parent();
    const auto bundleFolder = binFolder ? binFolder->Parent() : nullptr;
    if (!bundleFolder) return {};
    // A few short lines; anything longer is not ours.
    const auto text = RegularFile::Read(bundleFolder->Child("Info.txt")->AbsolutePath(), 4096, RegularFile::Links::Follow);
    if (!text) return {};
    QTextStream in(QByteArray::fromStdString(*text));
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const auto eq = line.indexOf('=');
        if (eq > 0 && line.left(eq).trimmed().toStdString() == key) return line.mid(eq + 1).trimmed().toStdString();
    }
    return {};
}

std::string FolderItem::MacCreator() const {
    // Files carry no creator code on this system; the running application has the
    // one its bundle records.
    const auto executable = ExecutableFile();
    return executable && executable->AbsolutePath() == path_ ? BundleInfo("Creator") : std::string();
}

} // namespace fw
