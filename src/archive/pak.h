#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_record.h"

constexpr size_t kPakHeaderSize = 12;
constexpr size_t kPakEntrySize = 64;  // a 56-byte name, offset, size

// Checks the "PACK" header against the pak's size; gives where the directory lies.
bool ParsePakHeader(const uint8_t header[kPakHeaderSize], uint64_t fileSize, uint32_t* directoryOffset,
                    uint32_t* directorySize, std::string& error);
// Reads the directory entries, each checked to lie inside the pak and to be named safely.
bool ParsePakDirectory(const uint8_t* directory, size_t size, uint64_t fileSize,
                       std::vector<ArchiveEntry>& entries, std::string& error);

// The directory of a pak on disk, or of one in memory (bytes not empty).
bool ReadPakDirectory(const std::string& path, const std::vector<uint8_t>& bytes,
                      std::vector<ArchiveEntry>& entries, std::string& error);
bool ReadPakMember(const Archive& archive, const ArchiveEntry& entry, std::vector<uint8_t>& bytes,
                   std::string& error);
