#pragma once

// Big-endian reads of DarkPlaces' own formats from a file's bytes, each
// checked by the caller with Fits first.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "formats/byte_reader.h"
#include "platform/names.h"

class BigEndian {
public:
    explicit BigEndian(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

    // True when count items of size bytes lie in the file from offset on.
    bool Fits(uint64_t offset, uint64_t count, uint64_t size) const
    {
        return offset <= INT64_MAX && count <= INT64_MAX &&
               BlockFits(bytes_.size(), static_cast<int64_t>(offset), static_cast<int64_t>(count),
                         static_cast<int64_t>(size));
    }
    uint32_t U32(size_t at) const
    {
        return uint32_t(bytes_[at]) << 24 | uint32_t(bytes_[at + 1]) << 16 | uint32_t(bytes_[at + 2]) << 8 |
               bytes_[at + 3];
    }
    // A number that is not finite is read as 0.
    float F32(size_t at) const
    {
        uint32_t bits = U32(at);
        float value;
        memcpy(&value, &bits, 4);
        return std::isfinite(value) ? value : 0.0f;
    }
    std::string Name(size_t at, size_t size) const { return TextName(reinterpret_cast<const char*>(&bytes_[at]), size); }
    size_t Size() const { return bytes_.size(); }

private:
    const std::vector<uint8_t>& bytes_;
};
