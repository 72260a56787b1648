#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace fw {

// Files that someone else named (a folder's ".hidden", pictures, the bundle's
// resources) are opened without blocking, so that a FIFO or a device in their place
// cannot hang the program in open, and are read only when they are regular files.
class RegularFile {
public:
    enum class Links { Follow, Refuse };
    // A descriptor of the regular file at `path` (close-on-exec; O_NONBLOCK means
    // nothing to a regular file's reads), or -1 with errno set: ENOENT when nothing
    // is there, ELOOP for a link that is refused, EINVAL for anything that is not a
    // regular file.
    static int Open(const std::string& path, Links links);
    // The whole file, when it is a regular file of at most `maxBytes`.
    static std::optional<std::string> Read(const std::string& path, int64_t maxBytes, Links links);
};

} // namespace fw
