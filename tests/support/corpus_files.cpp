#include "support/corpus_files.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "archive/archive.h"
#include "model/load.h"

namespace {

bool EndsWith(const std::string& name, const char* extension)
{
    return name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, extension) == 0;
}

// The files of a folder with the extension, in name order.
std::vector<std::string> FilesEnding(const std::string& folder, const char* extension)
{
    std::vector<std::string> files;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        if (EndsWith(it->path().string(), extension))
            files.push_back(it->path().string());
    std::sort(files.begin(), files.end());
    return files;
}

// The archive's members with the extension, as archive paths.
void AddMembersEnding(const std::string& path, const char* extension, std::vector<std::string>& members)
{
    std::string error;
    if (std::shared_ptr<const Archive> archive = OpenArchive(path, error))
        for (const ArchiveEntry& entry : archive->entries)
            if (EndsWith(entry.name, extension))
                members.push_back(path + "/" + entry.name);
}

}  // namespace

std::string CorpusFolder(const char* defaultFolder)
{
    const char* folder = getenv("TARNIVEL_CORPUS");
    return folder ? folder : defaultFolder;
}

std::string CorpusArchive(const std::string& folder) { return folder + "/ufoai/base/0models.pk3"; }

std::vector<std::string> CorpusModels(const std::string& folder)
{
    std::vector<std::string> models;
    AddMembersEnding(CorpusArchive(folder), ".md2", models);
    std::sort(models.begin(), models.end());
    return models;
}

std::vector<std::string> CorpusQuakeModels(const std::string& folder)
{
    return FilesEnding(folder + "/quake/ktx/progs", ".mdl");
}

std::vector<std::string> CorpusMd3Models(const std::string& folder)
{
    std::vector<std::string> models;
    for (const char* game : {"/openarena/baseoa", "/openarena/missionpack"})
        for (const std::string& path : FilesEnding(folder + game, ".pk3"))
            AddMembersEnding(path, ".md3", models);
    return models;
}

std::vector<std::string> CorpusSkeletalModels(const std::string& folder)
{
    std::vector<std::string> models;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder + "/redeclipse/data", error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        std::string path = it->path().string();
        if (EndsWith(path, ".iqm") || (path.size() > 8 && strcasecmp(path.c_str() + path.size() - 8, ".md5mesh") == 0))
            models.push_back(path);
    }
    std::sort(models.begin(), models.end());
    return models;
}

std::vector<std::string> CorpusNexuizModels(const std::string& folder)
{
    std::vector<std::string> models;
    std::string error, path = folder + "/nexuiz/data/data.pk3";
    if (std::shared_ptr<const Archive> archive = OpenArchive(path, error))
        for (const ArchiveEntry& entry : archive->entries)
            if (IsModelFileName(entry.name))
                models.push_back(path + "/" + entry.name);
    std::sort(models.begin(), models.end());
    return models;
}
