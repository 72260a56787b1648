#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
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

    // Numbers in the machine's byte order, as the platform's records hold them.
    // A value that would not fit inside the block reads 0 and is not written.
    float SingleValue(size_t offset) const { return Read<float>(offset); }
    void SetSingleValue(size_t offset, float v) { Write(offset, v); }
    uint16_t UInt16Value(size_t offset) const { return Read<uint16_t>(offset); }
    void SetUInt16Value(size_t offset, uint16_t v) { Write(offset, v); }
    uint32_t UInt32Value(size_t offset) const { return Read<uint32_t>(offset); }
    void SetUInt32Value(size_t offset, uint32_t v) { Write(offset, v); }

private:
    bool Fits(size_t offset, size_t width) const {
        return offset <= bytes_.size() && width <= bytes_.size() - offset;
    }
    template <typename T>
    T Read(size_t offset) const {
        T v{};
        if (Fits(offset, sizeof(T))) std::memcpy(&v, bytes_.data() + offset, sizeof(T));
        return v;
    }
    template <typename T>
    void Write(size_t offset, T v) {
        if (Fits(offset, sizeof(T))) std::memcpy(bytes_.data() + offset, &v, sizeof(T));
    }

    std::vector<uint8_t> bytes_;
};

} // namespace fw
