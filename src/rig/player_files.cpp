#include "rig/player_files.h"

#include <strings.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "archive/archive.h"
#include "archive/game_files.h"
#include "model/load.h"
#include "looks/surface_looks.h"
#include "platform/error_log.h"
#include "platform/paths.h"

namespace {

const char* const kParts[] = {"lower.md3", "upper.md3", "head.md3", "animation.cfg"};
const char kWeapons[] = "models/weapons2/";

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

// "models/weapons2/NAME/NAME.md3" gives NAME; anything else nothing.
std::string WeaponOf(const std::string& member)
{
    std::string name = Lower(member);
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.compare(0, sizeof kWeapons - 1, kWeapons) != 0)
        return std::string();
    std::string rest = name.substr(sizeof kWeapons - 1);
    size_t slash = rest.find('/');
    if (slash == std::string::npos || slash == 0)
        return std::string();
    std::string weapon = rest.substr(0, slash);
    return rest.substr(slash + 1) == weapon + ".md3" ? weapon : std::string();
}

void AddPlaceWeapons(const std::string& place, std::set<std::string>& names)
{
    if (place.back() == '/') {
        std::error_code error;
        namespace fs = std::filesystem;
        for (auto it = fs::directory_iterator(place + kWeapons, error); !error && it != fs::directory_iterator();
             it.increment(error)) {
            std::string weapon = it->path().filename().string();
            if (!FindGameFile(place + kWeapons + weapon + "/" + weapon + ".md3").empty())
                names.insert(Lower(weapon));
        }
        return;
    }
    std::string error;
    if (std::shared_ptr<const Archive> archive = OpenArchive(place, error))
        for (const ArchiveEntry& entry : archive->entries)
            if (std::string weapon = WeaponOf(entry.name); !weapon.empty())
                names.insert(weapon);
}

}  // namespace

std::string AsFolder(std::string path)
{
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

bool IsQ3PlayerFolder(const std::string& path)
{
    std::string folder = AsFolder(path);
    if (FindGameFile(folder + kParts[3]).empty())
        return false;
    for (int part = 0; part < 3; ++part)
        if (!FindGameFile(folder + kParts[part]).empty())
            return true;
    return false;
}

std::vector<std::string> PlayerFoldersIn(const std::string& folder)
{
    std::set<std::string> candidates;
    std::string archivePath, member, error;
    if (!SplitArchivePath(folder, archivePath, member)) {
        std::error_code fault;
        namespace fs = std::filesystem;
        for (auto it = fs::directory_iterator(folder, fault); !fault && it != fs::directory_iterator();
             it.increment(fault))
            if (it->is_directory(fault))
                candidates.insert(folder + it->path().filename().string() + "/");
    } else if (std::shared_ptr<const Archive> archive = OpenArchive(archivePath, error)) {
        for (const ArchiveEntry& entry : archive->entries) {
            if (strncasecmp(entry.name.c_str(), member.c_str(), member.size()) != 0)
                continue;
            size_t slash = entry.name.find('/', member.size());
            if (slash != std::string::npos && slash > member.size())
                candidates.insert(archivePath + "/" + entry.name.substr(0, slash + 1));
        }
    }
    std::vector<std::string> players;
    for (const std::string& candidate : candidates)
        if (IsQ3PlayerFolder(candidate))
            players.push_back(candidate);
    return players;
}

bool ReadPlayerAnimations(const std::string& folder, std::vector<PlayerAnimation>& animations)
{
    std::vector<uint8_t> bytes;
    std::string error;
    Reports reports;
    if (ReadGameFile(folder + "animation.cfg", bytes, error) != GameFileResult::kOk) {
        ReportError("LoadQ3Player: Couldn't open the animation file \"%sanimation.cfg\"", folder.c_str());
        return false;
    }
    bool read = ReadAnimationConfig(std::string(bytes.begin(), bytes.end()), animations, reports);
    ReportAll(reports);
    return read;
}

std::vector<PlayerAnimation> PartAnimations(const std::vector<PlayerAnimation>& all, bool legs, int frames,
                                            const std::string& file)
{
    std::vector<PlayerAnimation> plays;
    for (PlayerAnimation animation : all) {
        if (!(legs ? IsLegsAnimation(animation.name) : IsTorsoAnimation(animation.name)))
            continue;
        int last = animation.first + animation.count - 1;
        if (animation.first + animation.count > frames && frames > 0) {
            ReportError("LoadQ3Player: %s (frames %d to %d) runs past the %d frames of %s; it stops at frame %d",
                        animation.name.c_str(), animation.first, last, frames, file.c_str(), frames - 1);
            animation.first = std::min(animation.first, frames - 1);
            animation.count = frames - animation.first;
            animation.loop = std::min(animation.loop, animation.count);
        }
        plays.push_back(animation);
    }
    return plays;
}

std::vector<std::string> GameWeapons(const std::string& playerFolder)
{
    std::set<std::string> names;
    for (const std::string& place : GameSearchPlaces(AsFolder(playerFolder) + "lower.md3", kQuake3Bases))
        AddPlaceWeapons(place, names);
    return std::vector<std::string>(names.begin(), names.end());
}

std::string WeaponModelPath(const char* who, const std::string& playerFolder, const std::string& weapon)
{
    std::string found;
    if (IsModelFileName(weapon))
        found = FindGameFile(weapon);
    else if (weapon.find('/') != std::string::npos)
        found = FindGameFile(AsFolder(weapon) + FileNameOf(weapon.back() == '/' ? weapon.substr(0, weapon.size() - 1)
                                                                                 : weapon) + ".md3");
    else if (!weapon.empty())
        found = FindInPlaces(GameSearchPlaces(AsFolder(playerFolder) + "lower.md3", kQuake3Bases),
                             kWeapons + weapon + "/" + weapon + ".md3");
    if (found.empty())
        ReportError("%s: no weapon \"%s\" for \"%s\" (a name of models/weapons2/NAME/NAME.md3 in its game, or a "
                    "weapon's .md3)",
                    who, weapon.c_str(), playerFolder.c_str());
    return found;
}

std::string WeaponPartPath(const std::string& weaponModel, const char* suffix)
{
    std::string stem = weaponModel.substr(0, weaponModel.size() - 4);
    return FindGameFile(stem + suffix + ".md3");
}
