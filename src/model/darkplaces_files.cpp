#include "model/darkplaces_files.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>

#include "archive/game_files.h"
#include "formats/frame_types.h"
#include "platform/error_log.h"
#include "platform/names.h"

namespace {

bool ReadText(const std::string& path, std::string& text)
{
    std::vector<uint8_t> bytes;
    std::string error;
    if (ReadGameFile(path, bytes, error) != GameFileResult::kOk)
        return false;
    text.assign(bytes.begin(), bytes.end());
    return true;
}

}  // namespace

FrameGroupRun BoundGroup(FrameGroupRun group, size_t frames)
{
    int last = static_cast<int>(frames) - 1;
    group.first = std::clamp(group.first, 0, std::max(0, last));
    group.count = std::clamp(group.count, 1, std::max(1, last + 1 - group.first));
    return group;
}

std::string LevelOfDetailOf(const std::string& path, const std::vector<std::string>& folderFiles, int* level)
{
    size_t dot = path.rfind('.'), slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    size_t digits = path.find_last_not_of("0123456789", dot - 1);
    if (digits == std::string::npos || digits + 1 == dot || digits < 3 || path.compare(digits - 3, 4, "_lod") != 0)
        return "";
    std::string base = path.substr(0, digits - 3) + path.substr(dot);
    for (const std::string& file : folderFiles)
        if (strcasecmp(file.c_str(), base.c_str()) == 0) {
            if (level)
                *level = atoi(path.c_str() + digits + 1);
            return file;
        }
    return "";
}

std::vector<NumberedSkin> NumberedSkins(const std::string& modelPath)
{
    std::vector<NumberedSkin> skins;
    std::string text;
    for (int n = 0; n < kMaxSkins && ReadText(modelPath + "_" + std::to_string(n) + ".skin", text); ++n) {
        NumberedSkin skin{std::to_string(n), {}};
        Reports reports;
        bool read = ReadSkinFile(text, skin.entries, reports);
        ReportAll(reports);
        if (read)
            skins.push_back(std::move(skin));
    }
    return skins;
}

void AddNumberedSkinSet(ModelLooks* model, const NumberedSkin& skin, const std::vector<std::string>& parts,
                        const std::vector<std::string>& defaults, SurfaceLooks& looks)
{
    if (model->numSkins >= model->maxSkins)
        return;
    SkinInfo& set = model->skins[model->numSkins++];
    set = SkinInfo{};
    CopyText(set.name, sizeof set.name, skin.name);
    for (size_t p = 0; p < parts.size(); ++p) {
        const std::string* image = &defaults[p];
        for (const SkinFileEntry& entry : skin.entries)
            if (strcasecmp(entry.surface.c_str(), parts[p].c_str()) == 0)
                image = &entry.image;
        SurfaceLook look = image->empty() ? SurfaceLook{} : looks.Of(*image);
        set.partPictures.push_back(look.picture);
        set.partShaders.push_back(look.shader);
    }
}

std::vector<FrameGroupRun> FrameGroupsBeside(const std::string& modelPath)
{
    std::string text;
    if (!ReadText(modelPath + ".framegroups", text))
        return {};
    Reports reports;
    std::vector<FrameGroupRun> groups = ReadFrameGroups(text, reports);
    ReportAll(reports);
    return groups;
}

void NameGroupFrames(const std::vector<FrameGroupRun>& groups, std::vector<std::string>& names)
{
    std::vector<bool> named(names.size(), false);
    if (names.empty())
        return;
    for (const FrameGroupRun& given : groups) {
        FrameGroupRun group = BoundGroup(given, names.size());
        size_t first = size_t(group.first), end = first + size_t(group.count);
        bool taken = false;
        for (size_t f = first; f < end; ++f)
            taken = taken || named[f];
        if (taken) {
            ReportError("FrameGroups: group \"%s\" shares frames with an earlier one; its frames keep that one's names",
                        group.name.c_str());
            continue;
        }
        for (size_t f = first; f < end; ++f) {
            std::string number = std::to_string(f - first + 1);
            names[f] = FirstCharacters(group.name, kFrameNameCharacters - number.size()) + number;
            named[f] = true;
        }
    }
}
