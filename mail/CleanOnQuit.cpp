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
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

fw::FolderItemRef CleanOnQuit::RootFolder;
std::shared_ptr<CleanOnQuit::DestructionManager> CleanOnQuit::myDestructionManager;
std::function<void(const std::string&)> CleanOnQuit::AfterListingForTests;

namespace {
// Why the root last configured cannot hold cards; empty while it can.
std::string rootProblem;

// Inside the root; every running copy holds it shared.
constexpr const char* kLockName = ".lock";
// A copy that ends last holds the lock alone while it deletes the root; a copy
// starting meanwhile waits this long at most, and then never deletes the root whole.
constexpr int kLockTries = 100;
constexpr useconds_t kLockPauseUs = 20000;
// Enough that two copies drawing the same 72 random bits never matter.
constexpr int kSubfolderTries = 8;

// The user's alone whatever the umask. A folder that was there already is made
// private when it is ours; false, with errno, only when none could be made.
bool MakePrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
        (st.st_mode & 07777) != 0700)
        ::chmod(path.c_str(), 0700);
    return true;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

bool StillInRoot(const std::string& root, int lock) {
    struct stat held {}, named {};
    const std::string path = root + "/" + kLockName;
    return ::fstat(lock, &held) == 0 && ::lstat(path.c_str(), &named) == 0 && SameFile(held, named);
}

// A shared lock on the root's lock file, or -1. The lock must be on the file that
// is in the root now: a copy that ended may have deleted both while this one
// waited, and then the root is made anew.
int HoldRoot(const std::string& root) {
    for (int attempt = 0; attempt < kLockTries; ++attempt) {
        if (attempt > 0) ::usleep(kLockPauseUs);
        if (!MakePrivateFolder(root)) return -1;
        const int folder = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folder < 0) return -1;
        const int lock = ::openat(folder, kLockName, O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        bool held = false;
        if (lock >= 0 && ::flock(lock, LOCK_SH | LOCK_NB) == 0) {
            struct stat lockNow {}, lockHeld {}, rootNow {}, rootHeld {};
            held = ::fstat(lock, &lockHeld) == 0 && ::fstatat(folder, kLockName, &lockNow, AT_SYMLINK_NOFOLLOW) == 0 &&
                   SameFile(lockHeld, lockNow) && ::fstat(folder, &rootHeld) == 0 &&
                   ::lstat(root.c_str(), &rootNow) == 0 && SameFile(rootHeld, rootNow);
        }
        const int error = errno;
        ::close(folder);
        if (held) return lock;
        if (lock >= 0) ::close(lock);
        if (lock < 0 && error != EWOULDBLOCK) return -1;
    }
    return -1;
}
} // namespace

void CleanOnQuit::Configure(const fw::FolderItemRef& folder) {
    // Only a real folder counts: through a root that is a link, every card would be
    // written where the link points, and stay there for good.
    if (RootFolder && RootFolder->Directory()) {
        // Removed and made anew by another copy meanwhile: this copy's hold was on
        // the old folder, and without a new one the other's end would take this
        // copy's cards.
        auto& manager = myDestructionManager;
        if (manager && manager->myLock >= 0 && !StillInRoot(RootFolder->AbsolutePath(), manager->myLock)) {
            ::close(manager->myLock);
            manager->myLock = HoldRoot(RootFolder->AbsolutePath());
        }
        return;
    }

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
    if (!MakePrivateFolder(path)) {
        rootProblem = std::strerror(errno);
        return;
    }
    if (!RootFolder->Directory()) {
        rootProblem = path + " is in the way: it is not a folder, and it was left as it is.";
        return;
    }
    const int lock = HoldRoot(path);
    rootProblem.clear();
    // After the lock: a copy ending meanwhile may have taken the root's name off the
    // list of hidden names with the root.
    RootFolder->SetVisible(false);
    myDestructionManager = std::make_shared<DestructionManager>();
    myDestructionManager->myRootFolder = RootFolder;
    myDestructionManager->myLock = lock;
}

fw::FolderItemRef CleanOnQuit::Child(const std::string& name, std::string* failure) {
    Configure(nullptr);
    // Without a root (no Documents folder) this raises, as any use of nil does.
    const fw::FolderItem& root = fw::Deref(RootFolder);
    std::string problem;
    if (!root.Directory()) problem = rootProblem.empty() ? std::strerror(ENOTDIR) : rootProblem;
    // A subfolder that exists is another copy's (or an earlier run's): a name is
    // drawn again rather than its card overwritten or deleted at this copy's end.
    for (int attempt = 0; problem.empty() && attempt < kSubfolderTries; ++attempt) {
        const auto subfolder = root.Child(GnerateUID());
        if (::mkdir(fw::Deref(subfolder).AbsolutePath().c_str(), 0700) == 0) {
            ::chmod(subfolder->AbsolutePath().c_str(), 0700);
            if (myDestructionManager) myDestructionManager->mySubfolders.push_back(subfolder->Name());
            return subfolder->Child(name);
        }
        if (errno != EEXIST) problem = std::strerror(errno);
    }
    if (problem.empty()) problem = std::strerror(EEXIST);
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

// Each named subfolder of the root, entered as in DeleteContents.
void DeleteSubfolders(const std::string& root, const std::vector<std::string>& names,
                      const std::function<void(const std::string&)>& afterListing) {
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    for (const auto& name : names) {
        const int subFd = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (subFd < 0) continue;
        DeleteContents(subFd, root + "/" + name, 1, afterListing);
        ::close(subFd);
        ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
    }
    ::close(fd);
}

} // namespace

CleanOnQuit::DestructionManager::~DestructionManager() {
    if (myRootFolder) {
        // Alone on the lock, this copy is the last: the whole root goes. The lock
        // is let go only after the deletion, so that a copy starting meanwhile waits
        // and then makes the root anew. A lock file that is no longer the root's
        // (the root was removed, and another copy made it anew) proves nothing.
        if (myLock >= 0 && StillInRoot(myRootFolder->AbsolutePath(), myLock) &&
            ::flock(myLock, LOCK_EX | LOCK_NB) == 0)
            DeleteFolder(myRootFolder);
        else
            DeleteSubfolders(myRootFolder->AbsolutePath(), mySubfolders, AfterListingForTests);
    }
    if (myLock >= 0) ::close(myLock);
}

void CleanOnQuit::DestructionManager::DeleteFolder(const fw::FolderItemRef& f) {
    // Only ever a folder is made at the root's name: whatever else stands there now
    // (a file, a link) is someone else's and stays.
    const int fd = ::open(f->AbsolutePath().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    DeleteContents(fd, f->AbsolutePath(), 0, AfterListingForTests);
    ::close(fd);
    if (f->Directory()) f->Delete();
}
