#include "model/md2_skin_names.h"

#include <strings.h>

#include "formats/truecolour.h"
#include "platform/paths.h"

namespace {

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

namespace {

// The skin name with "/" between folders and no leading "./"; a file name
// that starts with a dot names a file beside the model and loses the dot.
std::string NormalizedSkinName(const std::string& skinName, bool* besideModel)
{
    std::string name = skinName;
    for (char& c : name)
        if (c == '\\')
            c = '/';
    while (name.compare(0, 2, "./") == 0)
        name.erase(0, 2);
    std::string file = FileNameOf(name);
    *besideModel = file.size() > 1 && file[0] == '.';
    if (*besideModel)
        name = DirectoryOf(name) + file.substr(1);
    return name.empty() || name.back() == '/' ? std::string() : name;
}

// PCX first, then the name's own true-colour image, then PNG, TGA and JPEG.
std::vector<std::string> SkinVariants(const std::string& name)
{
    std::vector<std::string> variants = {WithExtension(name, "pcx")};
    if (IsTrueColourExtension(ExtensionOf(name).c_str()))
        variants.push_back(name);
    for (const char* extension : {"png", "tga", "jpg"})
        variants.push_back(WithExtension(name, extension));
    return variants;
}

}  // namespace

std::vector<std::string> Md2SkinGameNames(const std::string& skinName)
{
    bool besideModel = false;
    std::string name = NormalizedSkinName(skinName, &besideModel);
    return name.empty() || besideModel ? std::vector<std::string>() : SkinVariants(name);
}

std::vector<std::string> Md2SkinCandidates(const std::string& skinName, const std::string& modelPath)
{
    bool besideModel = false;
    std::string name = NormalizedSkinName(skinName, &besideModel);
    std::vector<std::string> out;
    if (name.empty())
        return out;
    for (const std::string& variant : SkinVariants(name))
        AddPlaces(variant, modelPath, out);
    return out;
}
