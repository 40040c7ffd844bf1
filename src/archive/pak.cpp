#include "archive/pak.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/endian.h"
#include "platform/file_bytes.h"
#include "platform/names.h"

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

bool ReadPakEntry(const uint8_t* raw, uint64_t fileSize, ArchiveEntry& entry, std::string& error)
{
    size_t length = strnlen(reinterpret_cast<const char*>(raw), 56);
    entry.name.assign(reinterpret_cast<const char*>(raw), length);
    if (length == 56) {
        error = "entry \"" + AsText(entry.name) + "\" has no NUL ending its name";
        return false;
    }
    entry.offset = Le32(raw + 56);
    entry.size = Le32(raw + 60);
    entry.index = 0;
    if (entry.offset > 0x7FFFFFFFu || entry.size > 0x7FFFFFFFu || entry.offset + entry.size > fileSize) {
        error = "entry \"" + AsText(entry.name) + "\" lies outside the file";
        return false;
    }
    if (entry.size > kMaxInputFileSize) {
        error = "entry \"" + AsText(entry.name) + "\" claims " + std::to_string(entry.size) +
                " bytes, more than 256 MiB";
        return false;
    }
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
        *directorySize % kPakEntrySize != 0 || uint64_t(*directoryOffset) + *directorySize > fileSize) {
        error = "its directory lies outside the file or is not made of 64-byte entries";
        return false;
    }
    return true;
}

bool ParsePakDirectory(const uint8_t* directory, size_t size, uint64_t fileSize,
                       std::vector<ArchiveEntry>& entries, std::string& error)
{
    for (size_t at = 0; at + kPakEntrySize <= size; at += kPakEntrySize) {
        ArchiveEntry entry;
        if (!ReadPakEntry(directory + at, fileSize, entry, error)) {
            entries.clear();
            return false;
        }
        std::string unsafe;
        if (!CheckMemberName(entry.name, unsafe))
            continue;  // a name no path can reach is left out
        entry.name = AsText(entry.name);
        entries.push_back(std::move(entry));
    }
    return true;
}

bool ReadPakDirectory(const std::string& path, const std::vector<uint8_t>& bytes,
                      std::vector<ArchiveEntry>& entries, std::string& error)
{
    if (!bytes.empty()) {
        uint32_t offset = 0, size = 0;
        if (bytes.size() < kPakHeaderSize) {
            error = "is too short for a pak header";
            return false;
        }
        return ParsePakHeader(bytes.data(), bytes.size(), &offset, &size, error) &&
               ParsePakDirectory(bytes.data() + offset, size, bytes.size(), entries, error);
    }
    FilePtr file(fopen(path.c_str(), "rb"));
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

bool ReadPakMember(const Archive& archive, const ArchiveEntry& entry, std::vector<uint8_t>& bytes,
                   std::string& error)
{
    if (!archive.bytes.empty()) {
        bytes.assign(archive.bytes.begin() + entry.offset, archive.bytes.begin() + entry.offset + entry.size);
        return true;
    }
    FilePtr file(fopen(archive.path.c_str(), "rb"));
    bytes.resize(entry.size);
    if (file && ReadAt(file.get(), entry.offset, bytes.data(), entry.size))
        return true;
    bytes.clear();
    error = "member \"" + entry.name + "\" cannot be read";
    return false;
}
