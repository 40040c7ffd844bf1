#pragma once

// Little-endian writes of the games' file formats into a growing block of
// bytes, the mirror of ByteReader.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/names.h"

inline void AppendInt32(std::vector<uint8_t>& out, int32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
}

inline void AppendInt16(std::vector<uint8_t>& out, int16_t value)
{
    out.push_back(static_cast<uint8_t>(static_cast<uint16_t>(value) & 0xFF));
    out.push_back(static_cast<uint8_t>(static_cast<uint16_t>(value) >> 8));
}

inline void AppendFloat(std::vector<uint8_t>& out, float value)
{
    int32_t bits;
    memcpy(&bits, &value, 4);
    AppendInt32(out, bits);
}

inline void AppendFloats(std::vector<uint8_t>& out, const float* values, int count)
{
    for (int i = 0; i < count; ++i)
        AppendFloat(out, values[i]);
}

// A name into a field of size bytes, NUL-padded, cut between two characters
// so that it keeps its NUL.
inline void AppendName(std::vector<uint8_t>& out, const std::string& name, size_t size)
{
    std::vector<char> field(size, 0);
    CopyText(field.data(), size, name);
    out.insert(out.end(), field.begin(), field.end());
}

// A name filling up to the whole field, NUL-padded when shorter (frame
// names, which no engine reads as a C string), cut between two characters.
inline void AppendFieldName(std::vector<uint8_t>& out, const std::string& name, size_t size)
{
    std::vector<char> field(size + 1, 0);
    CopyText(field.data(), size + 1, name);
    out.insert(out.end(), field.begin(), field.end() - 1);
}

// Puts a value at an offset written before.
inline void PatchInt32(std::vector<uint8_t>& out, size_t offset, int32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}
