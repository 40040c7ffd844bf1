#include "model/archive_choice.h"

#include <strings.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "archive/archive.h"
#include "archive/game_files.h"
#include "model/load.h"
#include "platform/chooser.h"
#include "platform/error_log.h"
#include "platform/paths.h"

namespace {

bool HasExtension(const std::string& name, std::initializer_list<const char*> extensions)
{
    const char* extension = ExtractExtension(name.c_str());
    for (const char* wanted : extensions)
        if (extension && strcasecmp(extension, wanted) == 0)
            return true;
    return false;
}

std::vector<std::string> Candidates(const Archive& archive, ArchiveChoice kind)
{
    std::vector<std::string> names;
    for (const ArchiveEntry& entry : archive.entries) {
        const std::string& name = entry.name;
        if (kind == ArchiveChoice::kModel && IsModelFileName(name))
            names.push_back(name);
        else if (kind == ArchiveChoice::kSkin && HasExtension(name, {"pcx", "png", "tga", "jpg", "jpeg"}))
            names.push_back(name);
        else if (kind == ArchiveChoice::kPlayer && strcasecmp(ExtractFileName(name.c_str()), "tris.md2") == 0)
            names.push_back(name.substr(0, name.size() - 8));
        else if (kind == ArchiveChoice::kQ3Player && strcasecmp(ExtractFileName(name.c_str()), "lower.md3") == 0)
            names.push_back(name.substr(0, name.size() - 9));
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

}  // namespace

bool ResolveArchiveChoice(const char* who, ArchiveChoice kind, std::string& path)
{
    if (!IsArchiveFile(path))
        return true;
    std::string error;
    std::shared_ptr<const Archive> archive = OpenArchive(path, error);
    if (!archive) {
        ReportError("%s: %s: %s", who, path.c_str(), error.c_str());
        return false;
    }
    static const char* const kWhat[] = {"model (.mdl, .md2) or Quake III model (.md3)",
                                        "skin image (.pcx, .png, .tga, .jpg)",
                                        "player folder (with a tris.md2)", "player folder (with a lower.md3)"};
    static const char* const kPrompt[] = {"Model in the archive: ", "Skin in the archive: ",
                                          "Player in the archive: ", "Player in the archive: "};
    int index = static_cast<int>(kind);
    std::vector<std::string> names = Candidates(*archive, kind);
    if (names.empty()) {
        ReportError("%s: the archive \"%s\" holds no %s", who, path.c_str(), kWhat[index]);
        return false;
    }
    std::string chosen;
    if (!GetArchiveMember(kPrompt[index], path, names, chosen))
        return false;
    path += "/" + chosen;
    return PathFits(who, path.c_str());
}
