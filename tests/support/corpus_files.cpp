#include "support/corpus_files.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

std::string CorpusFolder(const char* defaultFolder)
{
    const char* folder = getenv("TARNIVEL_CORPUS");
    return folder ? folder : defaultFolder;
}

std::vector<std::string> CorpusModels(const std::string& folder)
{
    std::vector<std::string> models;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        if (it->path().extension() == ".md2")
            models.push_back(it->path().string());
    std::sort(models.begin(), models.end());
    return models;
}
