#pragma once

#include <string>
#include <vector>

#include "archive/archive_record.h"

// Opens a .pk3 or .zip with libzip (from disk, or from archive.bytes when
// they are set) and reads its directory into the record.
bool OpenZipDirectory(Archive& archive, std::string& error);
bool ReadZipMember(const Archive& archive, const ArchiveEntry& entry, std::vector<uint8_t>& bytes,
                   std::string& error);
