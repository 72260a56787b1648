#pragma once

#include <QString>

#include <string>

namespace fw {

// File names are bytes; Qt hands them over as text, and Qt 6 turns a byte that is not
// UTF-8 into U+FFFD for good (QFile::encodeName does not give it back). These two
// cross between the two forms where a Qt interface (a dialog, a drop, the standard
// folders) gives or takes a path.
class FileNames {
public:
    // The path's bytes on disk. A name that lost a byte to U+FFFD is looked up in
    // its folder: the one entry that reads as that text gives its bytes back. With
    // none, or several that read alike, the name stays as Qt gave it.
    static std::string Bytes(const QString& path);
    // The path as text, for Qt interfaces that only show or suggest it.
    static QString Text(const std::string& path);
    // Makes the folder and any missing folder above it; false when it is not a
    // folder afterwards.
    static bool MakeFolders(const std::string& path);
};

} // namespace fw
