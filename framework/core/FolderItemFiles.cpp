#include "framework/core/FolderItem.h"

#include "framework/core/BinaryStream.h"
#include "framework/core/FileDescriptor.h"
#include "framework/core/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fw {

namespace {

// Desktop file managers hide the names listed, one a line, in a folder's ".hidden".
constexpr const char* kHiddenList = ".hidden";

// The list is read without following a link. A ".hidden" that is not a plain file
// (an alias, a FIFO, say) is not ours to change: it reads as empty, and `writable`
// turns false so that nothing is written through it or put in its place.
std::vector<std::string> ReadHiddenList(const std::string& folder, mode_t* mode, bool* writable = nullptr) {
    std::vector<std::string> names;
    const FileDescriptor fd(RegularFile::Open(folder + "/" + kHiddenList, RegularFile::Links::Refuse));
    if (writable) *writable = fd.Get() >= 0 || errno == ENOENT;
    struct stat st {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0) return names;
    if (mode) *mode = st.st_mode & 0777;
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd.Get(), buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        if (end > from) names.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return names;
}

// Written to a fresh file beside it and renamed over it, so a reader never sees half
// a list.
bool WriteHiddenList(const std::string& folder, const std::vector<std::string>& names, mode_t mode) {
    const std::string target = folder + "/" + kHiddenList;
    if (names.empty()) return ::unlink(target.c_str()) == 0 || errno == ENOENT;
    std::string text;
    for (const auto& name : names) text += name + "\n";
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, mode) == 0;
    BinaryStream stream(fd);
    stream.Write(text);
    stream.Close();
    ok = ok && !stream.WriteError() && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

} // namespace

bool FolderItem::Visible() const {
    const std::string name = Name();
    if (!name.empty() && name.front() == '.') return false;
    const auto parent = Parent();
    if (!parent) return true;
    const auto names = ReadHiddenList(parent->AbsolutePath(), nullptr);
    return std::find(names.begin(), names.end(), name) == names.end();
}

void FolderItem::SetVisible(bool visible) const {
    // A dot-name stays hidden whatever is asked: showing it would mean renaming it.
    const auto parent = Parent();
    const std::string name = Name();
    if (!parent || !Exists() || name.find('\n') != std::string::npos) return;
    if (visible) {
        ForgetHiddenName();
        return;
    }
    mode_t mode = 0644;
    bool writable = false;
    auto names = ReadHiddenList(parent->AbsolutePath(), &mode, &writable);
    if (!writable || std::find(names.begin(), names.end(), name) != names.end()) return;
    names.push_back(name);
    WriteHiddenList(parent->AbsolutePath(), names, mode);
}

void FolderItem::ForgetHiddenName() const {
    const auto parent = Parent();
    if (!parent) return;
    mode_t mode = 0644;
    bool writable = false;
    auto names = ReadHiddenList(parent->AbsolutePath(), &mode, &writable);
    const std::string name = Name();
    if (!writable || std::find(names.begin(), names.end(), name) == names.end()) return;
    names.erase(std::remove(names.begin(), names.end(), name), names.end());
    WriteHiddenList(parent->AbsolutePath(), names, mode);
}

std::shared_ptr<BinaryStream> FolderItem::CreateBinaryFile(const std::string& fileType) const {
    // Linux records no file type; the text is accepted for the callers' sake.
    (void)fileType;
    if (Directory()) return nullptr;
    // Removing whatever holds the name and then insisting on a new file means an
    // alias planted here is never written through.
    if (::unlink(AbsolutePath().c_str()) != 0 && errno != ENOENT) return nullptr;
    const int fd = ::open(AbsolutePath().c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    return std::make_shared<BinaryStream>(fd);
}

} // namespace fw
