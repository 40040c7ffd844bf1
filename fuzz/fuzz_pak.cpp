#include <cstdint>
#include <vector>

#include "models/pak.h"

// A pak held in memory: its header, then the directory it points at.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kPakHeaderSize)
        return 0;
    uint32_t offset = 0, length = 0;
    std::string error;
    if (!ParsePakHeader(data, size, &offset, &length, error))
        return 0;
    std::vector<PakEntry> entries;
    if (ParsePakDirectory(data + offset, length, size, entries, error))
        for (const PakEntry& entry : entries)
            if (entry.size > 0 && data[entry.offset + entry.size - 1] == 0xFF)
                FindPakEntry(entries, entry.name.c_str());
    return 0;
}
