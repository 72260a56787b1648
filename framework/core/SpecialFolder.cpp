#include "framework/core/SpecialFolder.h"

#include "framework/core/FileDescriptor.h"
#include "framework/core/FileNames.h"
#include "framework/core/RegularFile.h"

#include <QDir>
#include <QStandardPaths>
#include <QSysInfo>

#include <cctype>
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
    if (!UserFolderListIsSafe()) return FolderItem::FromPath(FileNames::Bytes(QDir::homePath() + "/" + name));
    return FolderItem::FromPath(FileNames::Bytes(QStandardPaths::writableLocation(location)));
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

FolderItemRef PrivateFolderIn(const std::string& base, const std::string& name) {
    if (!SafeParent(base)) return nullptr;
    const std::string path = base + "/" + name;
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

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The user's cache folder, in which only the user can make an entry. Made when
// missing, with the user's own mode.
std::string CacheFolder() {
    std::string cache = Variable("XDG_CACHE_HOME");
    if (cache.empty() || cache.front() != '/') {
        const std::string home = Variable("HOME");
        if (home.empty() || home.front() != '/') return {};
        cache = home + "/.cache";
    }
    ::mkdir(cache.c_str(), 0700);
    return cache;
}

} // namespace

FolderItemRef SpecialFolder::Documents() {
    auto folder = StandardFolder(QStandardPaths::DocumentsLocation, "Documents");
    // A fresh account may have no Documents folder yet; the program keeps its
    // clean-up folder there, so it is made rather than the send failing silently.
    if (folder && !folder->Exists()) FileNames::MakeFolders(folder->AbsolutePath());
    return folder;
}

FolderItemRef SpecialFolder::Desktop() {
    return StandardFolder(QStandardPaths::DesktopLocation, "Desktop");
}

FolderItemRef SpecialFolder::Temporary() {
    if (!Seams().temporary.empty()) return FolderItem::FromPath(Seams().temporary);
    const std::string name = "stampora-" + std::to_string(::getuid());
    for (const std::string& base : {Variable("XDG_RUNTIME_DIR"), Variable("TMPDIR")})
        if (auto folder = PrivateFolderIn(base, name)) return folder;
    // Before the shared /tmp, where another user can take our name first and so
    // keep every copy from finding the running one. The cache folder may be shared
    // by several machines, so the name holds this one's.
    std::string host = QSysInfo::machineHostName().toStdString();
    for (char& c : host)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') c = '_';
    if (auto folder = PrivateFolderIn(CacheFolder(), name + "-" + (host.empty() ? "localhost" : host))) return folder;
    return PrivateFolderIn("/tmp", name);
}

void SpecialFolder::SetHomeForTests(const std::string& path) { Seams().home = path; }

void SpecialFolder::SetTemporaryForTests(const std::string& path) { Seams().temporary = path; }

} // namespace fw
