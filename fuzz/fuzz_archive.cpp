#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "archive/archive.h"

// An archive held in memory, a pak when it starts with "PACK" and else a
// zip: its directory, then every member it lists, read back whole.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ArchiveKind kind = size >= 4 && memcmp(data, "PACK", 4) == 0 ? ArchiveKind::kPak : ArchiveKind::kZip;
    std::string error;
    std::unique_ptr<Archive> archive = OpenArchiveBytes(std::vector<uint8_t>(data, data + size), kind, error);
    if (!archive)
        return 0;
    for (const ArchiveEntry& entry : archive->entries) {
        std::string problem;
        if (!CheckMemberName(entry.name, problem) || FindArchiveEntry(*archive, entry.name) == nullptr)
            __builtin_trap();  // the directory let an unsafe or unfindable name through
        std::vector<uint8_t> bytes;
        if (ReadArchiveEntry(*archive, entry, bytes, error) && bytes.size() != entry.size)
            __builtin_trap();
    }
    return 0;
}
