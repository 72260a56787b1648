#include "framework/core/FileType.h"

#include "framework/core/TextFunctions.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace fw {

namespace {

std::vector<FileType*>& Registry() {
    // Never destroyed: file types held by other statics leave it at exit.
    static auto* registry = new std::vector<FileType*>;
    return *registry;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        if (!part.empty()) parts.push_back(part);
    return parts;
}

} // namespace

FileType::~FileType() {
    if (registered_) FileTypeRegistry::Remove(this);
}

std::string FileType::ToString() {
    if (!registered_) {
        FileTypeRegistry::Add(this);
        registered_ = true;
    }
    return Name;
}

std::vector<std::string> FileType::ExtensionList() const {
    std::vector<std::string> list;
    for (std::string ext : Split(Extensions, ';')) {
        if (ext.front() == '.') ext.erase(0, 1);
        if (!ext.empty()) list.push_back(Lowercase(ext));
    }
    return list;
}

void FileTypeRegistry::Add(FileType* type) { Registry().push_back(type); }

void FileTypeRegistry::Remove(FileType* type) {
    auto& r = Registry();
    r.erase(std::remove(r.begin(), r.end(), type), r.end());
}

bool FileTypeRegistry::IsRegistered(const std::string& name) {
    const auto& r = Registry();
    return std::any_of(r.begin(), r.end(), [&](const FileType* t) { return t->Name == name; });
}

size_t FileTypeRegistry::Count() { return Registry().size(); }

bool FileTypeRegistry::Admits(const std::string& filter, const std::string& fileName) {
    const std::string ext = LowerExtension(fileName);
    if (ext.empty()) return false;
    for (const std::string& name : Split(filter, ';')) {
        for (const FileType* type : Registry()) {
            if (type->Name != name) continue;
            const auto exts = type->ExtensionList();
            if (std::find(exts.begin(), exts.end(), ext) != exts.end()) return true;
        }
    }
    return false;
}

std::vector<std::string> FileTypeRegistry::Patterns(const std::string& filter) {
    std::vector<std::string> patterns;
    for (const std::string& name : Split(filter, ';')) {
        for (const FileType* type : Registry()) {
            if (type->Name != name) continue;
            for (const std::string& ext : type->ExtensionList()) {
                std::string upper = ext;
                std::transform(upper.begin(), upper.end(), upper.begin(),
                               [](unsigned char c) { return std::toupper(c); });
                patterns.push_back("*." + ext);
                patterns.push_back("*." + upper);
            }
        }
    }
    return patterns;
}

} // namespace fw
