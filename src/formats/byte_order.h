#pragma once

// Reads of numbers and names from a file's bytes in one byte order, each
// checked by the caller with Fits first: DarkPlaces' own formats are big
// endian, Half-Life's little.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "formats/byte_reader.h"
#include "platform/names.h"

template <bool Big>
class FileBytes {
public:
    explicit FileBytes(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

    // True when count items of size bytes lie in the file from offset on.
    bool Fits(uint64_t offset, uint64_t count, uint64_t size) const
    {
        return offset <= INT64_MAX && count <= INT64_MAX &&
               BlockFits(bytes_.size(), static_cast<int64_t>(offset), static_cast<int64_t>(count),
                         static_cast<int64_t>(size));
    }
    uint32_t U32(size_t at) const
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= uint32_t(bytes_[at + (Big ? 3 - i : i)]) << (8 * i);
        return value;
    }
    int32_t I32(size_t at) const { return static_cast<int32_t>(U32(at)); }
    uint16_t U16(size_t at) const
    {
        return static_cast<uint16_t>(Big ? bytes_[at] << 8 | bytes_[at + 1] : bytes_[at + 1] << 8 | bytes_[at]);
    }
    int16_t I16(size_t at) const { return static_cast<int16_t>(U16(at)); }
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
    const uint8_t* Data() const { return bytes_.data(); }

private:
    const std::vector<uint8_t>& bytes_;
};

using BigEndian = FileBytes<true>;
using LittleEndian = FileBytes<false>;
