#include "framework/core/BinaryStream.h"

#include <cerrno>
#include <unistd.h>

namespace fw {

BinaryStream::BinaryStream(int fd) : fd_(fd) {}

BinaryStream::~BinaryStream() { Close(); }

void BinaryStream::Write(const std::string& bytes) {
    if (fd_ < 0 || writeError_) {
        writeError_ = true;
        return;
    }
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            writeError_ = true;
            return;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
}

void BinaryStream::Close() {
    if (fd_ < 0) return;
    if (::close(fd_) != 0) writeError_ = true;
    fd_ = -1;
}

} // namespace fw
