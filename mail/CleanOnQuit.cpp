#include "mail/CleanOnQuit.h"

#include "framework/core/Exceptions.h"
#include "framework/core/NumberRules.h"
#include "framework/core/SpecialFolder.h"
#include "framework/core/System.h"
#include "framework/core/TextFunctions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

fw::FolderItemRef CleanOnQuit::RootFolder;
std::shared_ptr<CleanOnQuit::DestructionManager> CleanOnQuit::myDestructionManager;
std::function<void(const std::string&)> CleanOnQuit::AfterListingForTests;

namespace {
// Why the root last configured cannot hold cards; empty while it can.
std::string rootProblem;
} // namespace

void CleanOnQuit::Configure(const fw::FolderItemRef& folder) {
    // Only a real folder counts: through a root that is a link, every card would be
    // written where the link points, and stay there for good.
    if (RootFolder && RootFolder->Directory()) return;

    if (folder) {
        RootFolder = folder;
    } else {
        const auto documents = fw::SpecialFolder::Documents();
        RootFolder = documents ? documents->Child(kRootName) : nullptr;
    }
    // The earlier root has vanished or is no folder any more, so its manager deletes
    // nothing; letting it go before the new root exists keeps it from ever deleting
    // the new one.
    myDestructionManager.reset();
    if (!RootFolder) return;

    // A folder at the root's name is ours, made now or by an earlier run. Anything
    // else there (a file, a link) is the user's: it is left exactly as it is, and no
    // manager is made that could delete it.
    const std::string& path = RootFolder->AbsolutePath();
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
        rootProblem = std::strerror(errno);
        return;
    }
    if (!RootFolder->Directory()) {
        rootProblem = path + " is in the way: it is not a folder, and it was left as it is.";
        return;
    }
    rootProblem.clear();
    RootFolder->SetVisible(false);
    myDestructionManager = std::make_shared<DestructionManager>();
    myDestructionManager->myRootFolder = RootFolder;
}

fw::FolderItemRef CleanOnQuit::Child(const std::string& name, std::string* failure) {
    Configure(nullptr);
    // Without a root (no Documents folder) this raises, as any use of nil does.
    const fw::FolderItem& root = fw::Deref(RootFolder);
    std::string problem;
    if (!root.Directory()) problem = rootProblem.empty() ? std::strerror(ENOTDIR) : rootProblem;
    fw::FolderItemRef subfolder;
    if (problem.empty()) {
        subfolder = root.Child(GnerateUID());
        if (::mkdir(fw::Deref(subfolder).AbsolutePath().c_str(), 0777) != 0) {
            const int error = errno;
            if (error != EEXIST || !subfolder->Directory()) problem = std::strerror(error);
        }
    }
    if (problem.empty()) return subfolder->Child(name);
    if (failure) *failure = problem;
    return nullptr;
}

std::string CleanOnQuit::GnerateUID() {
    std::string uid;
    for (int pass = 0; pass < 9; ++pass) {
        const double v = fw::System::Rnd() * 256.0;
        uid += fw::Lowercase(fw::Right("00" + fw::Hex(fw::ToInt32(v)), 2));
    }
    return uid;
}

void CleanOnQuit::ReleaseRootFolder() { RootFolder.reset(); }

void CleanOnQuit::ReleaseDestructionManager() { myDestructionManager.reset(); }

CleanOnQuit::DestructionManager::~DestructionManager() {
    if (myRootFolder) DeleteFolder(myRootFolder);
}

namespace {

// Deeper trees would run out of descriptors; what lies below stays, like any item
// that cannot be deleted.
constexpr int kMaxDepth = 200;

std::vector<std::string> EntryNames(int folderFd) {
    std::vector<std::string> names;
    const int listFd = ::dup(folderFd);
    if (listFd < 0) return names;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// Everything inside the folder open as folderFd. Each entry is examined and removed
// relative to its folder's descriptor, and folders are entered only through openat
// with O_NOFOLLOW: a folder swapped for a link meanwhile is never followed, so
// nothing outside the root can be reached however the tree changes underneath.
void DeleteContents(int folderFd, const std::string& path, int depth,
                    const std::function<void(const std::string&)>& afterListing) {
    const auto names = EntryNames(folderFd);
    if (afterListing) afterListing(path);
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        const char* name = it->c_str();
        struct stat st {};
        if (::fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISDIR(st.st_mode)) {
            ::unlinkat(folderFd, name, 0);
            continue;
        }
        const int subFd = ::openat(folderFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (subFd >= 0) {
            if (depth < kMaxDepth) DeleteContents(subFd, path + "/" + *it, depth + 1, afterListing);
            ::close(subFd);
        }
        // The name may now be a link put in the folder's place: remove the link itself.
        if (::unlinkat(folderFd, name, AT_REMOVEDIR) != 0 && errno == ENOTDIR) ::unlinkat(folderFd, name, 0);
    }
}

} // namespace

void CleanOnQuit::DestructionManager::DeleteFolder(const fw::FolderItemRef& f) {
    // Only ever a folder is made at the root's name: whatever else stands there now
    // (a file, a link) is someone else's and stays.
    const int fd = ::open(f->AbsolutePath().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    DeleteContents(fd, f->AbsolutePath(), 0, AfterListingForTests);
    ::close(fd);
    if (f->Directory()) f->Delete();
}
