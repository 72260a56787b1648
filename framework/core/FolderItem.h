#pragma once

#include <QSize>

#include <memory>
#include <string>

namespace fw {

class Picture;   // the graphics library's; core only hands it on
class BinaryStream;

// A file or folder, named by its absolute POSIX path; the item need not exist.
// Sections: identity and navigation; existence and folders; deleting and hiding;
// pictures; streams.
class FolderItem : public std::enable_shared_from_this<FolderItem> {
public:
    explicit FolderItem(std::string absolutePath);
    static std::shared_ptr<FolderItem> FromPath(const std::string& path);

    // --- identity and navigation
    const std::string& AbsolutePath() const { return path_; }
    // The path with blanks and the shell's special characters escaped by backslashes.
    std::string ShellPath() const;
    std::string Name() const;
    std::shared_ptr<FolderItem> Parent() const;           // nil for "/"
    std::shared_ptr<FolderItem> Child(const std::string& name) const;
    // The four-character creator code of the file; empty when it has none.
    std::string MacCreator() const;

    // --- existence and folders
    bool Exists() const;          // a dangling alias exists as an item of its own
    bool Directory() const;       // false for an alias, even one to a folder
    bool Alias() const;           // a symbolic link
    int Count() const;            // items in a folder, "." and ".." excluded
    // The item at index 1..Count in name order, aliases not resolved; nil outside.
    std::shared_ptr<FolderItem> TrueItem(int index) const;
    std::shared_ptr<FolderItem> Item(int index) const { return TrueItem(index); }
    void CreateAsFolder() const;

    // --- deleting and hiding
    // Removes one file, one alias (never its target) or one empty folder.
    bool Delete() const;
    // Visible false hides the item the way desktop file managers understand
    // (its name listed in the folder's ".hidden" file), without renaming it. A
    // ".hidden" that is not a plain file is left alone, and the item stays visible.
    bool Visible() const;
    void SetVisible(bool visible) const;

    // --- pictures
    // The picture in the file, or nil when it cannot be read as one of the image
    // types; the orientation tag is honoured; never throws for bad input.
    // `coverArea` as for PictureDecoder::Decode: the area the picture is first drawn
    // to cover, so that it is decoded once at the scale that needs.
    std::shared_ptr<Picture> OpenAsPicture(QSize coverArea = {}) const;
    // Writes the picture as JPEG at the framework's default quality; false on failure,
    // with the system's reason in *failure when one is given. The file is written
    // whole under a temporary name and then renamed over the item, so a failed write
    // leaves an earlier file of that name as it was.
    bool SaveAsJPEG(const std::shared_ptr<Picture>& picture, std::string* failure = nullptr) const;
    // Picture files are read and written by the graphics library, which installs its
    // two functions here before main; without it no file opens as a picture.
    using PictureOpener = std::shared_ptr<Picture> (*)(const FolderItem&, QSize);
    using JpegSaver = bool (*)(const FolderItem&, const std::shared_ptr<Picture>&, std::string*);
    static void InstallPictureFiles(PictureOpener open, JpegSaver save);

    // --- streams
    // Creates (or empties) the file anew, never writing through an existing alias;
    // nil when it cannot be made.
    std::shared_ptr<BinaryStream> CreateBinaryFile(const std::string& fileType) const;

private:
    // Takes a deleted item's name off its folder's list of hidden names.
    void ForgetHiddenName() const;

    std::string path_;
};

using FolderItemRef = std::shared_ptr<FolderItem>;

} // namespace fw
