#include "framework/core/FolderItem.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fw {

namespace fs = std::filesystem;

FolderItem::FolderItem(std::string absolutePath) : path_(std::move(absolutePath)) {
    // Keep "/" as is, drop a trailing slash elsewhere so that Name and Parent work.
    while (path_.size() > 1 && path_.back() == '/') path_.pop_back();
}

std::shared_ptr<FolderItem> FolderItem::FromPath(const std::string& path) {
    if (path.empty()) return nullptr;
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(path), ec);
    if (ec) return nullptr;
    return std::make_shared<FolderItem>(absolute.lexically_normal().string());
}

std::string FolderItem::ShellPath() const {
    static const std::string special = " \t\n\\'\"`$&|;<>()[]{}*?!#~=%^,";
    std::string out;
    out.reserve(path_.size() * 2);
    for (char c : path_) {
        if (special.find(c) != std::string::npos) out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

std::string FolderItem::Name() const {
    if (path_ == "/") return "/";
    return fs::path(path_).filename().string();
}

std::shared_ptr<FolderItem> FolderItem::Parent() const {
    if (path_ == "/" || path_.empty()) return nullptr;
    return std::make_shared<FolderItem>(fs::path(path_).parent_path().string());
}

std::shared_ptr<FolderItem> FolderItem::Child(const std::string& name) const {
    // A name holding a slash would leave the folder; such a child does not exist.
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return nullptr;
    return std::make_shared<FolderItem>(path_ == "/" ? "/" + name : path_ + "/" + name);
}

bool FolderItem::Exists() const {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path_, ec));
}

bool FolderItem::Directory() const {
    std::error_code ec;
    return fs::is_directory(fs::symlink_status(path_, ec));
}

bool FolderItem::Alias() const {
    std::error_code ec;
    return fs::is_symlink(fs::symlink_status(path_, ec));
}

namespace {
std::vector<std::string> SortedNames(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

int FolderItem::Count() const {
    if (!Directory()) return 0;
    return static_cast<int>(SortedNames(path_).size());
}

std::shared_ptr<FolderItem> FolderItem::TrueItem(int index) const {
    if (!Directory()) return nullptr;
    const auto names = SortedNames(path_);
    if (index < 1 || index > static_cast<int>(names.size())) return nullptr;
    return Child(names[static_cast<size_t>(index - 1)]);
}

void FolderItem::CreateAsFolder() const {
    std::error_code ec;
    fs::create_directory(path_, ec);
}

bool FolderItem::Delete() const {
    const std::string name = Name();
    const bool listedHidden = !name.empty() && name.front() != '.' && !Visible();
    // unlink/rmdir act on the link itself, never on what an alias points to.
    const bool deleted = Directory() ? ::rmdir(path_.c_str()) == 0 : ::unlink(path_.c_str()) == 0;
    // A hidden item leaves no stale entry behind in its folder's list.
    if (deleted && listedHidden) ForgetHiddenName();
    return deleted;
}

namespace {
// Constant-initialised, so installing from another file's static initialiser is safe.
FolderItem::PictureOpener pictureOpener = nullptr;
FolderItem::JpegSaver jpegSaver = nullptr;
} // namespace

void FolderItem::InstallPictureFiles(PictureOpener open, JpegSaver save) {
    pictureOpener = open;
    jpegSaver = save;
}

std::shared_ptr<Picture> FolderItem::OpenAsPicture(QSize coverArea) const {
    return pictureOpener ? pictureOpener(*this, coverArea) : nullptr;
}

bool FolderItem::SaveAsJPEG(const std::shared_ptr<Picture>& picture, std::string* failure) const {
    if (jpegSaver) return jpegSaver(*this, picture, failure);
    if (failure) *failure = "No picture writer is installed.";
    return false;
}

} // namespace fw
