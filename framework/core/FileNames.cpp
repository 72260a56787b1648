#include "framework/core/FileNames.h"

#include <QFile>
#include <QStringList>

#include <dirent.h>
#include <sys/stat.h>

namespace fw {

namespace {

// The entry of `folder` that reads as `name`, or the name's own encoding.
std::string EntryReadingAs(const std::string& folder, const QString& name) {
    std::string found;
    int matches = 0;
    if (DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (QFile::decodeName(entry->d_name) == name) found = entry->d_name, ++matches;
        ::closedir(dir);
    }
    return matches == 1 ? found : QFile::encodeName(name).toStdString();
}

} // namespace

std::string FileNames::Bytes(const QString& path) {
    if (!path.contains(QChar::ReplacementCharacter)) return QFile::encodeName(path).toStdString();
    std::string bytes;
    const QStringList parts = path.split('/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) bytes += '/';
        const QString& part = parts[i];
        bytes += part.contains(QChar::ReplacementCharacter) ? EntryReadingAs(bytes, part)
                                                            : QFile::encodeName(part).toStdString();
    }
    return bytes;
}

QString FileNames::Text(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

bool FileNames::MakeFolders(const std::string& path) {
    struct stat st {};
    for (size_t slash = path.find('/', 1); !path.empty(); slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (::stat(prefix.c_str(), &st) != 0) ::mkdir(prefix.c_str(), 0777);
        if (slash == std::string::npos) break;
    }
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace fw
