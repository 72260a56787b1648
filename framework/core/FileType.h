#pragma once

#include <memory>
#include <string>
#include <vector>

namespace fw {

// A kind of file the program can open: a name (a MIME name here), its extensions
// (".jpg;.jpeg"), a Mac file type and creator. It enters the framework's file-type
// registry the first time it is converted to text and leaves it when destroyed.
class FileType {
public:
    FileType() = default;
    ~FileType();
    FileType(const FileType&) = delete;
    FileType& operator=(const FileType&) = delete;

    std::string Name;
    std::string Extensions;
    std::string MacType;
    std::string MacCreator;

    std::string ToString();
    std::vector<std::string> ExtensionList() const;   // lower case, without the point

private:
    bool registered_ = false;
};

using FileTypeRef = std::shared_ptr<FileType>;

// The registry of the file types that have been converted to text.
class FileTypeRegistry {
public:
    static bool IsRegistered(const std::string& name);
    static size_t Count();
    // Whether a file is admitted by a filter of type names separated by ";": its
    // extension (letter case ignored) belongs to a registered type of one of the names.
    static bool Admits(const std::string& filter, const std::string& fileName);
    // Glob patterns ("*.jpg") for a filter, in both letter cases, for file dialogs.
    static std::vector<std::string> Patterns(const std::string& filter);

private:
    friend class FileType;
    static void Add(FileType* type);
    static void Remove(FileType* type);
};

} // namespace fw
