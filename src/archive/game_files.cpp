#include "archive/game_files.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "archive/archive.h"
#include "platform/file_bytes.h"
#include "platform/paths.h"

namespace {

bool IsRegularFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()), closedir);
    if (!dir)
        return names;
    while (dirent* entry = readdir(dir.get()))
        names.push_back(entry->d_name);
    return names;
}

std::string FindLooseIgnoringCase(const std::string& path)
{
    if (IsRegularFile(path))
        return path;
    std::string directory = DirectoryOf(path), file = FileNameOf(path);
    for (const std::string& name : FolderEntries(directory))
        if (strcasecmp(name.c_str(), file.c_str()) == 0 && IsRegularFile(directory + name))
            return directory + name;
    return std::string();
}

bool EndsWithIgnoringCase(const std::string& text, const char* suffix)
{
    size_t length = strlen(suffix);
    return text.size() >= length && strcasecmp(text.c_str() + text.size() - length, suffix) == 0;
}

void AddFolderPlaces(const std::string& folder, std::vector<std::string>& places)
{
    places.push_back(folder);
    for (const std::string& archive : GameArchivesOf(folder))
        places.push_back(archive);
}

std::string AbsolutePath(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char cwd[kMaxPath];
    return getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + path : path;
}

// The game folder of a model: the folder holding its archive, or the folder
// above the last "progs", "models" or "players" folder on its loose path (or
// the name hint's leading folder).
std::string GameFolderOf(const std::string& modelPath, const std::string& hintFolder)
{
    std::string archive, member;
    std::string path = AbsolutePath(modelPath);
    if (SplitArchivePath(path, archive, member))
        return DirectoryOf(archive);
    std::string dir = DirectoryOf(path);
    for (size_t at = dir.size() - 1; at-- > 0;) {
        if (dir[at] != '/')
            continue;
        size_t end = dir.find('/', at + 1);
        std::string part = dir.substr(at + 1, end - at - 1);
        // Quake III keeps players in models/players: that game's folder is above models.
        bool inModels = at >= 7 && strncasecmp(dir.c_str() + at - 7, "/models", 7) == 0;
        for (const char* prefix : {"progs", "models", "players", hintFolder.c_str()})
            if (prefix[0] && strcasecmp(part.c_str(), prefix) == 0 && !(inModels && strcmp(prefix, "players") == 0))
                return dir.substr(0, at + 1);
    }
    return std::string();
}

std::string ParentOf(const std::string& folder)
{
    std::string trimmed = folder.substr(0, folder.size() - 1);
    return trimmed.empty() ? std::string("/") : DirectoryOf(trimmed);
}

}  // namespace

std::vector<std::string> GameArchivesOf(const std::string& folder)
{
    std::vector<std::pair<long, std::string>> paks;
    std::vector<std::string> pk3s;
    for (const std::string& name : FolderEntries(folder)) {
        if (!IsRegularFile(folder + name))
            continue;
        if (name.size() > 7 && strncasecmp(name.c_str(), "pak", 3) == 0 && EndsWithIgnoringCase(name, ".pak")) {
            std::string digits = name.substr(3, name.size() - 7);
            if (std::all_of(digits.begin(), digits.end(), ::isdigit))
                paks.emplace_back(strtol(digits.c_str(), nullptr, 10), name);
        } else if (EndsWithIgnoringCase(name, ".pk3")) {
            pk3s.push_back(name);
        }
    }
    std::sort(paks.rbegin(), paks.rend());
    std::sort(pk3s.rbegin(), pk3s.rend());
    std::vector<std::string> archives;
    for (const auto& pak : paks)
        archives.push_back(folder + pak.second);
    for (const std::string& pk3 : pk3s)
        archives.push_back(folder + pk3);
    return archives;
}


bool SplitArchivePath(const std::string& path, std::string& archive, std::string& member)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        std::string prefix = path.substr(0, slash);
        if (IsArchiveName(prefix) && IsRegularFile(prefix)) {
            archive = prefix;
            member = path.substr(slash + 1);
            return true;
        }
    }
    return false;
}

bool IsArchiveFile(const std::string& path)
{
    return IsArchiveName(path) && IsRegularFile(path);
}

GameFileResult ReadGameFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error)
{
    std::string archivePath, member;
    if (!SplitArchivePath(path, archivePath, member)) {
        switch (ReadFileBytes(path.c_str(), bytes)) {
        case FileReadResult::kOk: return GameFileResult::kOk;
        case FileReadResult::kTooLarge: return GameFileResult::kTooLarge;
        case FileReadResult::kReadError:
            error = path + ": cannot be read";
            return GameFileResult::kReadError;
        default: return GameFileResult::kMissing;
        }
    }
    std::shared_ptr<const Archive> archive = OpenArchive(archivePath, error);
    if (!archive) {
        error = archivePath + ": " + error;
        return GameFileResult::kBadArchive;
    }
    const ArchiveEntry* entry = FindArchiveEntry(*archive, member);
    if (!entry)
        return GameFileResult::kMissing;
    if (!ReadArchiveEntry(*archive, *entry, bytes, error)) {
        error = archivePath + ": " + error;
        return GameFileResult::kReadError;
    }
    return GameFileResult::kOk;
}

std::string FindGameFile(const std::string& path)
{
    std::string archivePath, member, error;
    if (!SplitArchivePath(path, archivePath, member))
        return FindLooseIgnoringCase(path);
    std::shared_ptr<const Archive> archive = OpenArchive(archivePath, error);
    const ArchiveEntry* entry = archive ? FindArchiveEntry(*archive, member) : nullptr;
    return entry ? archivePath + "/" + entry->name : std::string();
}

std::vector<std::string> GameFolderFiles(const std::string& folder)
{
    std::vector<std::string> files;
    std::string archivePath, member, error;
    if (!SplitArchivePath(folder, archivePath, member)) {
        for (const std::string& name : FolderEntries(folder))
            if (IsRegularFile(folder + name))
                files.push_back(folder + name);
        return files;
    }
    std::shared_ptr<const Archive> archive = OpenArchive(archivePath, error);
    if (!archive)
        return files;
    for (const ArchiveEntry& entry : archive->entries)
        if (strncasecmp(entry.name.c_str(), member.c_str(), member.size()) == 0 &&
            entry.name.find('/', member.size()) == std::string::npos)
            files.push_back(archivePath + "/" + entry.name);
    return files;
}

std::vector<std::string> GameSearchPlaces(const std::string& modelPath, const std::vector<std::string>& baseFolders,
                                          const std::string& nameHint)
{
    std::string hintFolder = nameHint.substr(0, nameHint.find('/'));
    if (hintFolder == nameHint)
        hintFolder.clear();
    std::string game = GameFolderOf(modelPath, hintFolder);
    std::vector<std::string> places;
    if (game.empty())
        return places;
    AddFolderPlaces(game, places);
    std::string parent = ParentOf(game);
    for (const std::string& base : baseFolders) {
        std::string folder = parent + base + "/";
        if (folder != game && IsFolder(folder)) {
            AddFolderPlaces(folder, places);
            break;
        }
    }
    return places;
}

std::string FindInPlaces(const std::vector<std::string>& places, const std::string& name)
{
    for (const std::string& place : places) {
        std::string found = place.back() == '/' ? FindLooseIgnoringCase(place + name)
                                                : FindGameFile(place + "/" + name);
        if (!found.empty())
            return found;
    }
    return std::string();
}
