#include "support/corpus_files.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "archive/archive.h"

std::string CorpusFolder(const char* defaultFolder)
{
    const char* folder = getenv("TARNIVEL_CORPUS");
    return folder ? folder : defaultFolder;
}

std::string CorpusArchive(const std::string& folder)
{
    return folder + "/ufoai/base/0models.pk3";
}

std::vector<std::string> CorpusModels(const std::string& folder)
{
    std::vector<std::string> models;
    std::string error;
    if (std::shared_ptr<const Archive> archive = OpenArchive(CorpusArchive(folder), error))
        for (const ArchiveEntry& entry : archive->entries)
            if (entry.name.size() > 4 && entry.name.compare(entry.name.size() - 4, 4, ".md2") == 0)
                models.push_back(CorpusArchive(folder) + "/" + entry.name);
    std::sort(models.begin(), models.end());
    return models;
}

std::vector<std::string> CorpusQuakeModels(const std::string& folder)
{
    std::vector<std::string> models;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(folder + "/quake/ktx/progs", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        if (it->path().extension() == ".mdl")
            models.push_back(it->path().string());
    std::sort(models.begin(), models.end());
    return models;
}

std::vector<std::string> CorpusQuake3Archives(const std::string& folder)
{
    std::vector<std::string> archives;
    for (const char* game : {"/openarena/baseoa", "/openarena/missionpack"}) {
        std::error_code error;
        std::vector<std::string> found;
        for (auto it = std::filesystem::directory_iterator(folder + game, error);
             !error && it != std::filesystem::directory_iterator(); it.increment(error))
            if (it->path().extension() == ".pk3")
                found.push_back(it->path().string());
        std::sort(found.begin(), found.end());
        archives.insert(archives.end(), found.begin(), found.end());
    }
    return archives;
}

std::vector<std::string> CorpusMd3Models(const std::string& folder)
{
    std::vector<std::string> models;
    std::string error;
    for (const std::string& path : CorpusQuake3Archives(folder))
        if (std::shared_ptr<const Archive> archive = OpenArchive(path, error))
            for (const ArchiveEntry& entry : archive->entries)
                if (entry.name.size() > 4 && strcasecmp(entry.name.c_str() + entry.name.size() - 4, ".md3") == 0)
                    models.push_back(path + "/" + entry.name);
    return models;
}
