#include "framework/core/RegularFile.h"

#include "framework/core/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

int RegularFile::Open(const std::string& path, Links links) {
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (links == Links::Refuse ? O_NOFOLLOW : 0);
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

std::optional<std::string> RegularFile::Read(const std::string& path, int64_t maxBytes, Links links) {
    const FileDescriptor fd(Open(path, links));
    struct stat info {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0 || info.st_size > maxBytes) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd.Get(), buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        bytes.append(buffer, size_t(n));
        // A file that grows while read is held to the same bound.
        if (int64_t(bytes.size()) > maxBytes) return std::nullopt;
    }
    return bytes;
}

} // namespace fw
