#include "platform/file_bytes.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

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
