#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/endian.h"

// Little-endian reads from a block of file bytes. Every read is checked
// against the block's end; a read that does not fit leaves the output
// untouched and returns false.
struct ByteReader {
    const uint8_t* data;
    size_t size;
    size_t position;
};

inline bool ReaderSeek(ByteReader& reader, int64_t offset)
{
    if (offset < 0 || static_cast<uint64_t>(offset) > reader.size)
        return false;
    reader.position = static_cast<size_t>(offset);
    return true;
}

inline size_t ReaderRemaining(const ByteReader& reader)
{
    return reader.size - reader.position;
}

inline bool ReadBytes(ByteReader& reader, void* out, size_t count)
{
    if (count > ReaderRemaining(reader))
        return false;
    memcpy(out, reader.data + reader.position, count);
    reader.position += count;
    return true;
}

inline bool ReadInt32(ByteReader& reader, int32_t* out)
{
    int32_t value;
    if (!ReadBytes(reader, &value, 4))
        return false;
    EndianSwap32(&value);
    *out = value;
    return true;
}

inline bool ReadInt16(ByteReader& reader, int16_t* out)
{
    int16_t value;
    if (!ReadBytes(reader, &value, 2))
        return false;
    EndianSwap16(&value);
    *out = value;
    return true;
}

// True when count items of itemSize bytes fit in the block from offset on.
inline bool BlockFits(size_t blockSize, int64_t offset, int64_t count, int64_t itemSize)
{
    if (offset < 0 || count < 0 || itemSize < 0 || static_cast<uint64_t>(offset) > blockSize)
        return false;
    if (itemSize == 0 || count == 0)
        return true;
    uint64_t room = blockSize - static_cast<uint64_t>(offset);
    return static_cast<uint64_t>(count) <= room / static_cast<uint64_t>(itemSize);
}
