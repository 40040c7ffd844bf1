#pragma once

#include <climits>
#include <cstddef>
#include <string>
#include <vector>

// The longest path the system takes, its terminating NUL included. Every
// path buffer holds this much; a longer path is refused, never cut.
constexpr int kMaxPath = PATH_MAX;

// The text after the last ".", or null when there is none.
const char* ExtractExtension(const char* path);
// The text after the last "/", "\" or ":", or the whole path.
const char* ExtractFileName(const char* path);
// Copies into out (kMaxPath characters) the path up to and including its last
// separator; empty when it has none. Null after a report.
char* ExtractDirectory(const char* path, char* out);
// Lower-cases A to Z in place, looking at no more than 256 characters.
char* LowerCaseString(char* text);

// snprintf for paths: false when the text does not fit, since a cut path
// would name another file.
bool FormatPath(char* out, unsigned long size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// A "/"-separated path's folder part, its last "/" kept (empty when it has
// none), and its last part: game paths and archive members use "/" only.
std::string DirectoryOf(const std::string& path);
std::string FileNameOf(const std::string& path);

// A line's fields between separators (one more than there are separators).
std::vector<std::string> SplitFields(const std::string& line, char separator);

// True when path fits kMaxPath; otherwise reports, naming who refused it.
bool PathFits(const char* who, const char* path);

// A file a model's file names for reading beside it: a relative path that
// stays inside the model's folder, with no scheme, no "..", nothing to
// expand; false with why not.
bool NameStaysBeside(const std::string& name, std::string& why);
