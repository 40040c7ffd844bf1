#include "platform/endian.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/error_log.h"

namespace {

constexpr bool kHostIsLittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

}  // namespace

void EndianSwap32(void* value)
{
    if (kHostIsLittleEndian)
        return;
    auto* bytes = static_cast<uint8_t*>(value);
    uint8_t swapped[4] = {bytes[3], bytes[2], bytes[1], bytes[0]};
    memcpy(bytes, swapped, 4);
}

void EndianSwap16(void* value)
{
    if (kHostIsLittleEndian)
        return;
    auto* bytes = static_cast<uint8_t*>(value);
    uint8_t first = bytes[0];
    bytes[0] = bytes[1];
    bytes[1] = first;
}

void EndianSwapVec3(void* values)
{
    auto* bytes = static_cast<uint8_t*>(values);
    for (int i = 0; i < 3; ++i)
        EndianSwap32(bytes + 4 * i);
}

size_t EndianFRead32(void* destination, size_t size, size_t count, FILE* file)
{
    if (size != 4 || count != 1) {
        ReportError("EndianFRead32: bad parameters for data size");
        exit(1);
    }
    size_t read = fread(destination, size, count, file);
    EndianSwap32(destination);
    return read;
}

size_t EndianFRead16(void* destination, size_t size, size_t count, FILE* file)
{
    if (size != 2 || count != 1) {
        ReportError("EndianFRead16: bad parameters for data size");
        exit(1);
    }
    size_t read = fread(destination, size, count, file);
    EndianSwap16(destination);
    return read;
}
