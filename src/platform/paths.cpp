#include "platform/paths.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/error_log.h"

namespace {

constexpr int kPathLimit = kMaxPath - 1;

bool IsSeparator(char c)
{
    return c == '/' || c == '\\' || c == ':';
}

}  // namespace

const char* ExtractExtension(const char* path)
{
    const char* extension = nullptr;
    for (int i = 0; path[i]; ++i) {
        if (path[i] != '.')
            continue;
        if (i >= kPathLimit) {
            ReportError("ExtractExtension: string missing terminator");
            return nullptr;
        }
        extension = path + i + 1;
    }
    return extension;
}

const char* ExtractFileName(const char* path)
{
    const char* name = path;
    for (int i = 0; path[i]; ++i) {
        if (!IsSeparator(path[i]))
            continue;
        if (i >= kPathLimit) {
            ReportError("ExtractFileName: string missing terminator");
            return nullptr;
        }
        name = path + i + 1;
    }
    return name;
}

char* ExtractDirectory(const char* path, char* out)
{
    snprintf(out, kPathLimit + 1, "%s", path);
    int end = 0;
    for (int i = 0; out[i]; ++i) {
        if (!IsSeparator(out[i]))
            continue;
        if (i >= kPathLimit) {
            ReportError("ExtractDirectory: string missing terminator");
            return nullptr;
        }
        end = i + 1;
    }
    out[end] = '\0';
    return out;
}

char* LowerCaseString(char* text)
{
    int i = 0;
    for (; i < 256 && text[i]; ++i)
        if (text[i] >= 'A' && text[i] <= 'Z')
            text[i] = static_cast<char>(text[i] + 32);
    if (i == 256)
        ReportError("Warning: no null terminator was found in the string\n");
    return text;
}

bool FormatPath(char* out, unsigned long size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int written = vsnprintf(out, size, format, args);
    va_end(args);
    return written >= 0 && static_cast<unsigned long>(written) < size;
}

bool PathFits(const char* who, const char* path)
{
    size_t length = strlen(path);
    if (length < static_cast<size_t>(kMaxPath))
        return true;
    ReportError("%s: the path is %zu characters long, past the system's limit of %d: \"%.60s...\"", who,
                length, kMaxPath - 1, path);
    return false;
}

std::string DirectoryOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNameOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> SplitFields(const std::string& line, char separator)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t end; (end = line.find(separator, start)) != std::string::npos; start = end + 1)
        fields.push_back(line.substr(start, end - start));
    fields.push_back(line.substr(start));
    return fields;
}

bool NameStaysBeside(const std::string& uri, std::string& why)
{
    size_t colon = uri.find(':'), slash = uri.find('/');
    if (uri.empty())
        why = "is empty";
    else if (uri[0] == '/' || uri[0] == '\\' || uri[0] == '~')
        why = "is an absolute path";
    else if (colon != std::string::npos && (slash == std::string::npos || colon < slash))
        why = "names a scheme other than data:";
    else if (uri.find('\0') != std::string::npos || uri.find('\\') != std::string::npos)
        why = "holds a NUL or a backslash";
    for (size_t start = 0; why.empty() && start <= uri.size();) {
        size_t end = uri.find('/', start);
        if (end == std::string::npos)
            end = uri.size();
        if (uri.compare(start, end - start, "..") == 0)
            why = "climbs out of the model's folder";
        start = end + 1;
    }
    return why.empty();
}
