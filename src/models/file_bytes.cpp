#include "models/file_bytes.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <string>

#include "archive/game_files.h"
#include "core/error_log.h"

namespace {

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};

}  // namespace

FileReadResult ReadFileBytes(const char* path, std::vector<uint8_t>& bytes)
{
    std::unique_ptr<FILE, FileCloser> file(fopen(path, "rb"));
    if (!file)
        return FileReadResult::kCannotOpen;
    struct stat info;
    if (fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode))
        return FileReadResult::kCannotOpen;
    if (static_cast<uint64_t>(info.st_size) > kMaxInputFileSize)
        return FileReadResult::kTooLarge;
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t read = bytes.empty() ? 0 : fread(bytes.data(), 1, bytes.size(), file.get());
    if (read != bytes.size()) {
        bytes.clear();
        return FileReadResult::kReadError;
    }
    return FileReadResult::kOk;
}

bool ReadModelFile(const char* who, const char* kind, const char* path, std::vector<uint8_t>& bytes)
{
    std::string error;
    switch (ReadGameFile(path, bytes, error)) {
    case GameFileResult::kOk:
        return true;
    case GameFileResult::kTooLarge:
        ReportError("%s: the %s file \"%s\" is larger than %zu bytes", who, kind, path, kMaxInputFileSize);
        return false;
    case GameFileResult::kMissing:
        ReportError("%s: Couldn't open the %s file \"%s\"", who, kind, path);
        return false;
    default:
        ReportError("%s: Couldn't open the %s file \"%s\": %s", who, kind, path, error.c_str());
        return false;
    }
}
