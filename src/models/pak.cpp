#include "models/pak.h"

#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "models/endian.h"
#include "models/file_bytes.h"
#include "models/pcx.h"

namespace {

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

uint32_t Le32(const uint8_t* p)
{
    uint32_t value;
    memcpy(&value, p, 4);
    EndianSwap32(&value);
    return value;
}

bool ReadAt(FILE* file, uint64_t offset, void* out, size_t size)
{
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0 &&
           (size == 0 || fread(out, 1, size, file) == size);
}

bool SameBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> existing;
    return ReadFileBytes(path.c_str(), existing) == FileReadResult::kOk && existing == bytes;
}

bool SavePalette(const std::string& directory, const char* name, const std::vector<uint8_t>& palette,
                 bool replace, std::string& log)
{
    std::string path = directory + "/" + name;
    struct stat info;
    bool exists = stat(path.c_str(), &info) == 0;
    if (exists && SameBytes(path, palette)) {
        log += path + " is already this palette; left as it is\n";
        return true;
    }
    if (exists && !replace) {
        log += path + " exists and holds another palette; not overwritten (--replace replaces it)\n";
        return false;
    }
    FilePtr file(fopen(path.c_str(), "wb"));
    if (!file || fwrite(palette.data(), 1, palette.size(), file.get()) != palette.size() ||
        fclose(file.release()) != 0) {
        log += "could not write " + path + "\n";
        return false;
    }
    log += (exists ? "Replaced " : "Wrote ") + path + "\n";
    return true;
}

}  // namespace

bool ParsePakHeader(const uint8_t header[kPakHeaderSize], uint64_t fileSize, uint32_t* directoryOffset,
                    uint32_t* directorySize, std::string& error)
{
    if (memcmp(header, "PACK", 4) != 0) {
        error = "not a pak file (no PACK header)";
        return false;
    }
    *directoryOffset = Le32(header + 4);
    *directorySize = Le32(header + 8);
    if (*directoryOffset > 0x7FFFFFFFu || *directorySize > 0x7FFFFFFFu ||
        *directorySize % kPakEntrySize != 0 ||
        uint64_t(*directoryOffset) + *directorySize > fileSize) {
        error = "its directory lies outside the file or is not made of 64-byte entries";
        return false;
    }
    return true;
}

bool ParsePakDirectory(const uint8_t* directory, size_t size, uint64_t fileSize,
                       std::vector<PakEntry>& entries, std::string& error)
{
    for (size_t at = 0; at + kPakEntrySize <= size; at += kPakEntrySize) {
        const uint8_t* raw = directory + at;
        PakEntry entry;
        entry.name.assign(reinterpret_cast<const char*>(raw), strnlen(reinterpret_cast<const char*>(raw), 56));
        entry.offset = Le32(raw + 56);
        entry.size = Le32(raw + 60);
        if (entry.offset > 0x7FFFFFFFu || entry.size > 0x7FFFFFFFu ||
            uint64_t(entry.offset) + entry.size > fileSize) {
            error = "entry \"" + entry.name + "\" lies outside the file";
            return false;
        }
        entries.push_back(entry);
    }
    return true;
}

bool ReadPakFile(const char* path, std::vector<PakEntry>& entries, std::string& error)
{
    FilePtr file(fopen(path, "rb"));
    struct stat info;
    if (!file || fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "cannot be opened";
        return false;
    }
    uint8_t header[kPakHeaderSize];
    uint32_t offset = 0, size = 0;
    if (!ReadAt(file.get(), 0, header, sizeof header)) {
        error = "is too short for a pak header";
        return false;
    }
    if (!ParsePakHeader(header, static_cast<uint64_t>(info.st_size), &offset, &size, error))
        return false;
    std::vector<uint8_t> directory(size);
    if (!ReadAt(file.get(), offset, directory.data(), size)) {
        error = "its directory cannot be read";
        return false;
    }
    return ParsePakDirectory(directory.data(), size, static_cast<uint64_t>(info.st_size), entries, error);
}

bool ReadPakEntry(const char* path, const PakEntry& entry, std::vector<uint8_t>& bytes)
{
    FilePtr file(fopen(path, "rb"));
    bytes.resize(entry.size);
    return file && ReadAt(file.get(), entry.offset, bytes.data(), entry.size);
}

const PakEntry* FindPakEntry(const std::vector<PakEntry>& entries, const char* name)
{
    for (const PakEntry& entry : entries)
        if (strcasecmp(entry.name.c_str(), name) == 0)
            return &entry;
    return nullptr;
}

bool ExtractPalettes(const char* pakPath, const std::string& directory, bool replace, std::string& log)
{
    std::vector<PakEntry> entries;
    std::string error;
    if (!ReadPakFile(pakPath, entries, error)) {
        log += std::string(pakPath) + ": " + error + "\n";
        return false;
    }
    bool found = false, ok = true;
    std::vector<uint8_t> bytes;
    if (const PakEntry* lmp = FindPakEntry(entries, "gfx/palette.lmp")) {
        found = true;
        if (lmp->size < 768 || !ReadPakEntry(pakPath, *lmp, bytes)) {
            log += std::string(pakPath) + ": gfx/palette.lmp is shorter than 768 bytes\n";
            ok = false;
        } else {
            bytes.resize(768);
            ok = SavePalette(directory, "palette.lmp", bytes, replace, log) && ok;
        }
    }
    if (const PakEntry* colormap = FindPakEntry(entries, "pics/colormap.pcx")) {
        found = true;
        PcxImage image;
        if (!ReadPakEntry(pakPath, *colormap, bytes) || !DecodePcx(bytes.data(), bytes.size(), image) ||
            image.palette.size() != 768) {
            log += std::string(pakPath) + ": pics/colormap.pcx has no 256-colour palette\n";
            ok = false;
        } else {
            ok = SavePalette(directory, "palette_MD2.lmp", image.palette, replace, log) && ok;
        }
    }
    if (!found) {
        log += std::string(pakPath) + ": holds neither gfx/palette.lmp nor pics/colormap.pcx\n";
        return false;
    }
    return ok;
}
