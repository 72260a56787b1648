#pragma once

#include <string>

namespace fw {

// A file opened for writing bytes. Made by FolderItem::CreateBinaryFile; the file is
// closed by Close or, at the latest, when the last reference goes.
class BinaryStream {
public:
    // Takes ownership of an open file descriptor.
    explicit BinaryStream(int fd);
    ~BinaryStream();
    BinaryStream(const BinaryStream&) = delete;
    BinaryStream& operator=(const BinaryStream&) = delete;

    // Writes every byte or, after the first failure, nothing more; WriteError tells.
    void Write(const std::string& bytes);
    void Close();
    bool WriteError() const { return writeError_; }

private:
    int fd_;
    bool writeError_ = false;
};

} // namespace fw
