#include "models/skin_search.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <memory>

#include "models/truecolour.h"

namespace {

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

// The name with another extension; a leading dot is part of no extension.
std::string WithExtension(const std::string& name, const char* extension)
{
    size_t start = name.rfind('/');
    start = start == std::string::npos ? 0 : start + 1;
    size_t dot = name.rfind('.');
    std::string stem = dot != std::string::npos && dot > start ? name.substr(0, dot) : name;
    return stem + "." + extension;
}

std::string ExtensionOf(const std::string& name)
{
    std::string file = FileNameOf(name);
    size_t dot = file.rfind('.');
    return dot == std::string::npos || dot == 0 ? std::string() : file.substr(dot + 1);
}

// The base folder: the model's path up to the name's first folder.
std::string BaseFolder(const std::string& name, const std::string& modelDirectory)
{
    size_t slash = name.find('/');
    if (slash == std::string::npos || slash == 0)
        return std::string();
    std::string first = name.substr(0, slash + 1);
    std::string dir = "/" + modelDirectory;
    for (size_t at = dir.size(); at-- > 0;) {
        if (dir[at] == '/' && dir.size() - at - 1 >= first.size() &&
            strncasecmp(dir.c_str() + at + 1, first.c_str(), first.size()) == 0)
            return dir.substr(1, at);
    }
    return std::string();
}

void AddPlaces(const std::string& name, const std::string& modelPath, std::vector<std::string>& out)
{
    std::string modelDirectory = DirectoryOf(modelPath);
    std::string base = BaseFolder(name, modelDirectory);
    if (!base.empty())
        out.push_back(base + name);
    out.push_back(modelDirectory + FileNameOf(name));
    out.push_back(name);
}

}  // namespace

std::vector<std::string> Md2SkinCandidates(const std::string& skinName, const std::string& modelPath)
{
    std::string name = skinName;
    for (char& c : name)
        if (c == '\\')
            c = '/';
    while (name.compare(0, 2, "./") == 0)
        name.erase(0, 2);
    // A file name that starts with a dot names a file beside the model.
    std::string file = FileNameOf(name);
    if (file.size() > 1 && file[0] == '.')
        name = DirectoryOf(name) + file.substr(1);
    std::vector<std::string> out;
    if (name.empty() || name.back() == '/')
        return out;
    AddPlaces(WithExtension(name, "pcx"), modelPath, out);
    if (IsTrueColourExtension(ExtensionOf(name).c_str()))
        AddPlaces(name, modelPath, out);
    for (const char* extension : {"png", "tga", "jpg"})
        AddPlaces(WithExtension(name, extension), modelPath, out);
    return out;
}

std::string FindFileIgnoringCase(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        return path;
    std::string directory = DirectoryOf(path), file = FileNameOf(path);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(directory.empty() ? "." : directory.c_str()),
                                            closedir);
    if (!dir)
        return std::string();
    while (dirent* entry = readdir(dir.get())) {
        if (strcasecmp(entry->d_name, file.c_str()) != 0)
            continue;
        std::string found = directory + entry->d_name;
        if (stat(found.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            return found;
    }
    return std::string();
}
