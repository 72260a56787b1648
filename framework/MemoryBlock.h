#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fw {

// A block of bytes of a fixed size, zero-filled when made.
class MemoryBlock {
public:
    explicit MemoryBlock(size_t size) : bytes_(size, 0) {}
    size_t Size() const { return bytes_.size(); }
    uint8_t* Ptr() { return bytes_.data(); }
    const uint8_t* Ptr() const { return bytes_.data(); }
    // The bytes [offset, offset + length) as a string; clipped to the block.
    std::string StringValue(size_t offset, size_t length) const {
        if (offset >= bytes_.size()) return {};
        length = std::min(length, bytes_.size() - offset);
        return std::string(reinterpret_cast<const char*>(bytes_.data() + offset), length);
    }

private:
    std::vector<uint8_t> bytes_;
};

} // namespace fw
