#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// A game archive, a Quake .pak or a .pk3/.zip: its directory is read once,
// its members only when asked for, and nothing is ever extracted to disk.
enum class ArchiveKind { kPak, kZip };

struct ArchiveEntry {
    std::string name;  // as stored, with "/" between folders
    uint64_t size;     // unpacked bytes
    uint64_t offset;   // pak: where the bytes start
    uint64_t index;    // zip: the entry's index
};

struct ZipCloser {
    void operator()(struct zip* zip) const;
};

struct Archive {
    std::string path;
    ArchiveKind kind;
    std::vector<ArchiveEntry> entries;  // files only, in stored order
    std::unordered_map<std::string, size_t> lookup;  // lower-cased name to entry
    std::vector<uint8_t> bytes;  // an archive held in memory rather than on disk
    std::unique_ptr<struct zip, ZipCloser> zip;  // open while the archive is; reads bytes
};

// A member name the archive layer accepts: relative, without "..", and
// without control characters; false with the fault in error. Members of
// other names are left out of an archive's directory.
bool CheckMemberName(const std::string& name, std::string& error);
