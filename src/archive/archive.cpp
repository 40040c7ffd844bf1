#include "archive/archive.h"

#include <strings.h>
#include <sys/stat.h>

#include <algorithm>

#include "archive/pak.h"
#include "archive/zip_archive.h"

namespace {

constexpr size_t kCachedArchives = 8;

// What tells a file on disk has changed since its directory was read.
struct FileSignature {
    dev_t device;
    ino_t inode;
    off_t size;
    timespec modified;
    bool operator==(const FileSignature& other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
    }
};

struct CachedArchive {
    FileSignature signature;
    std::shared_ptr<const Archive> archive;
};

std::vector<CachedArchive> cache;  // the most recently used last

std::string LookupKey(const std::string& name)
{
    std::string key = name;
    for (char& c : key)
        c = c == '\\' ? '/' : static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return key;
}

ArchiveKind KindOf(const std::string& path)
{
    size_t dot = path.rfind('.');
    return dot != std::string::npos && strcasecmp(path.c_str() + dot, ".pak") == 0 ? ArchiveKind::kPak
                                                                                   : ArchiveKind::kZip;
}

bool ReadDirectory(Archive& archive, std::string& error)
{
    bool ok = archive.kind == ArchiveKind::kPak
                  ? ReadPakDirectory(archive.path, archive.bytes, archive.entries, error)
                  : OpenZipDirectory(archive, error);
    if (!ok)
        return false;
    // The first of several entries of one name is the one found.
    for (size_t i = archive.entries.size(); i-- > 0;)
        archive.lookup[LookupKey(archive.entries[i].name)] = i;
    return true;
}

}  // namespace

bool IsArchiveName(const std::string& name)
{
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.find('/', dot) != std::string::npos)
        return false;
    const char* extension = name.c_str() + dot + 1;
    return strcasecmp(extension, "pak") == 0 || strcasecmp(extension, "pk3") == 0 ||
           strcasecmp(extension, "zip") == 0;
}


std::shared_ptr<const Archive> OpenArchive(const std::string& path, std::string& error)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "cannot be opened";
        return nullptr;
    }
    FileSignature signature{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
    for (size_t i = 0; i < cache.size(); ++i) {
        if (cache[i].archive->path != path)
            continue;
        CachedArchive found = cache[i];
        cache.erase(cache.begin() + static_cast<long>(i));
        if (!(found.signature == signature))
            break;  // changed on disk: read again
        cache.push_back(found);
        return found.archive;
    }
    auto archive = std::make_shared<Archive>();
    archive->path = path;
    archive->kind = KindOf(path);
    if (!ReadDirectory(*archive, error))
        return nullptr;
    if (cache.size() >= kCachedArchives)
        cache.erase(cache.begin());
    cache.push_back({signature, archive});
    return archive;
}

std::unique_ptr<Archive> OpenArchiveBytes(std::vector<uint8_t> bytes, ArchiveKind kind, std::string& error)
{
    auto archive = std::make_unique<Archive>();
    archive->path = "(memory)";
    archive->kind = kind;
    archive->bytes = std::move(bytes);
    if (archive->bytes.empty()) {
        error = "is empty";
        return nullptr;
    }
    if (!ReadDirectory(*archive, error))
        return nullptr;
    return archive;
}

void ClearArchiveCache()
{
    cache.clear();
}

const ArchiveEntry* FindArchiveEntry(const Archive& archive, const std::string& name)
{
    auto found = archive.lookup.find(LookupKey(name));
    return found == archive.lookup.end() ? nullptr : &archive.entries[found->second];
}

bool ReadArchiveEntry(const Archive& archive, const ArchiveEntry& entry, std::vector<uint8_t>& bytes,
                      std::string& error)
{
    return archive.kind == ArchiveKind::kPak ? ReadPakMember(archive, entry, bytes, error)
                                             : ReadZipMember(archive, entry, bytes, error);
}
