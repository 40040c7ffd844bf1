#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "archive/archive_record.h"

// .pak, .pk3 and .zip, in any case.
bool IsArchiveName(const std::string& name);

// The archive's directory, from a cache of recently opened archives (kept
// while the file on disk is unchanged). Null with error set, and nothing
// kept, when the archive is missing or broken.
std::shared_ptr<const Archive> OpenArchive(const std::string& path, std::string& error);
// The same for an archive's bytes in memory, never cached.
std::unique_ptr<Archive> OpenArchiveBytes(std::vector<uint8_t> bytes, ArchiveKind kind, std::string& error);
// Forgets every cached archive.
void ClearArchiveCache();

// The member of that name, "/" or "\" between folders, ignoring case.
const ArchiveEntry* FindArchiveEntry(const Archive& archive, const std::string& name);
// Reads one member whole; false with error set.
bool ReadArchiveEntry(const Archive& archive, const ArchiveEntry& entry, std::vector<uint8_t>& bytes,
                      std::string& error);
