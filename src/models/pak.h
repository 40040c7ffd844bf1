#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One file inside a Quake or Quake 2 pak: 56-byte name, offset, size.
struct PakEntry {
    std::string name;
    uint32_t offset;
    uint32_t size;
};

constexpr size_t kPakHeaderSize = 12;
constexpr size_t kPakEntrySize = 64;

// Checks the "PACK" header against the pak's size; gives where the directory lies.
bool ParsePakHeader(const uint8_t header[kPakHeaderSize], uint64_t fileSize, uint32_t* directoryOffset,
                    uint32_t* directorySize, std::string& error);
// Reads the directory entries, each checked to lie inside the pak.
bool ParsePakDirectory(const uint8_t* directory, size_t size, uint64_t fileSize,
                       std::vector<PakEntry>& entries, std::string& error);

// Reads a pak's directory from disk.
bool ReadPakFile(const char* path, std::vector<PakEntry>& entries, std::string& error);
// Reads one entry's bytes.
bool ReadPakEntry(const char* path, const PakEntry& entry, std::vector<uint8_t>& bytes);
// The entry whose name matches, ignoring case; null when there is none.
const PakEntry* FindPakEntry(const std::vector<PakEntry>& entries, const char* name);

// Writes palette.lmp (from gfx/palette.lmp) and palette_MD2.lmp (from
// pics/colormap.pcx) found in the pak into directory. An existing palette
// that differs is kept unless replace is set. Messages go to log; false
// when the pak is unusable or a palette could not be written.
bool ExtractPalettes(const char* pakPath, const std::string& directory, bool replace, std::string& log);
