#include "platform/file_bytes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

bool WriteAllBytes(int descriptor, const void* bytes, size_t size)
{
    const char* at = static_cast<const char*>(bytes);
    size_t written = 0;
    while (written < size) {
        ssize_t n = write(descriptor, at + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += static_cast<size_t>(n);
    }
    return true;
}
