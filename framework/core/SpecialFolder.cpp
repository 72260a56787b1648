#include "framework/core/SpecialFolder.h"

#include "framework/core/FileDescriptor.h"
#include "framework/core/RegularFile.h"

#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

struct Overrides {
    std::string home;
    std::string temporary;
};

Overrides& Seams() {
    static Overrides overrides;
    return overrides;
}

// Qt reads the user's list of folders with a blocking open, which a FIFO or a device
// in its place would hold for ever; such a list counts as none, as Qt counts a
// missing or unreadable one: the folder is then the one of that name in the home
// folder.
bool UserFolderListIsSafe() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const FileDescriptor list(RegularFile::Open((config + "/user-dirs.dirs").toStdString(), RegularFile::Links::Follow));
    return list.Get() >= 0 || errno != EINVAL;
}

FolderItemRef StandardFolder(QStandardPaths::StandardLocation location, const char* name) {
    if (!Seams().home.empty()) return FolderItem::FromPath(Seams().home + "/" + name);
    if (!UserFolderListIsSafe()) return FolderItem::FromPath((QDir::homePath() + "/" + name).toStdString());
    return FolderItem::FromPath(QStandardPaths::writableLocation(location).toStdString());
}

// A folder in which another user could rename or replace our entry is no place for
// a private folder: it must be ours and closed to others, or sticky like /tmp.
bool SafeParent(const std::string& base) {
    if (base.empty() || base.front() != '/') return false;
    struct stat st {};
    if (::stat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    const bool ownedClosed = st.st_uid == ::getuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
    const bool sticky = (st.st_mode & S_ISVTX) != 0 && (st.st_uid == 0 || st.st_uid == ::getuid());
    return ownedClosed || sticky;
}

FolderItemRef PrivateFolderIn(const std::string& base) {
    if (!SafeParent(base)) return nullptr;
    const std::string path = base + "/stampora-" + std::to_string(::getuid());
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return nullptr;
    // Checked through a descriptor, so the folder checked is the folder changed: a
    // link planted under our name is refused, not followed.
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
    if (ok && (st.st_mode & 07777) != 0700) ok = ::fchmod(fd, 0700) == 0;
    ::close(fd);
    return ok ? FolderItem::FromPath(path) : nullptr;
}

} // namespace

FolderItemRef SpecialFolder::Documents() {
    auto folder = StandardFolder(QStandardPaths::DocumentsLocation, "Documents");
    // A fresh account may have no Documents folder yet; the program keeps its
    // clean-up folder there, so it is made rather than the send failing silently.
    if (folder && !folder->Exists()) QDir().mkpath(QString::fromStdString(folder->AbsolutePath()));
    return folder;
}

FolderItemRef SpecialFolder::Desktop() {
    return StandardFolder(QStandardPaths::DesktopLocation, "Desktop");
}

FolderItemRef SpecialFolder::Temporary() {
    if (!Seams().temporary.empty()) return FolderItem::FromPath(Seams().temporary);
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"))
        if (auto folder = PrivateFolderIn(runtime)) return folder;
    const char* tmp = std::getenv("TMPDIR");
    if (tmp && *tmp)
        if (auto folder = PrivateFolderIn(tmp)) return folder;
    return PrivateFolderIn("/tmp");
}

void SpecialFolder::SetHomeForTests(const std::string& path) { Seams().home = path; }

void SpecialFolder::SetTemporaryForTests(const std::string& path) { Seams().temporary = path; }

} // namespace fw
