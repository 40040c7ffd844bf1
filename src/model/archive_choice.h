#pragma once

#include <string>

// What a chosen archive is opened to find.
enum class ArchiveChoice { kModel, kSkin, kPlayer, kQ3Player };

// When path names an archive, asks which of its models, skin images or
// player folders (those holding a tris.md2, or for Quake III a lower.md3) is meant and makes path name it.
// True when path is ready to use; false after a report, or when nothing was
// chosen.
bool ResolveArchiveChoice(const char* who, ArchiveChoice kind, std::string& path);
