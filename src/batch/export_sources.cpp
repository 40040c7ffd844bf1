#include "batch/export_sources.h"

#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "archive/archive.h"
#include "archive/game_files.h"
#include "model/load.h"
#include "model/model_formats.h"
#include "rig/player_files.h"
#include "platform/paths.h"

namespace {

namespace fs = std::filesystem;

// A source's models by their path in the output, extension kept.
using Found = std::map<std::string, ExportItem>;

}  // namespace

int64_t ModifiedTime(const std::string& file)
{
    struct stat info;
    return stat(file.c_str(), &info) == 0 ? info.st_mtim.tv_sec * int64_t(1000000000) + info.st_mtim.tv_nsec : -1;
}

namespace {

void Claim(Found& found, const std::string& path, const std::string& source, int64_t modified)
{
    found.emplace(path, ExportItem{source, path, FormatOfName(source)->key, modified});
}

bool AddArchive(const std::string& archivePath, const std::string& prefix, Found& found, std::string& error)
{
    std::shared_ptr<const Archive> archive = OpenArchive(archivePath, error);
    if (!archive) {
        error = archivePath + ": " + error;
        return false;
    }
    int64_t modified = ModifiedTime(archivePath);
    std::vector<std::string> models;
    for (const ArchiveEntry& entry : archive->entries)
        if (IsModelFileName(entry.name))
            models.push_back(entry.name);
    for (const std::string& model : WholeModels(models, archivePath + "/"))
        Claim(found, prefix + model, archivePath + "/" + model, modified);
    return true;
}

// The archives of each folder in the order its game reads them (pakN.pak
// from the highest N, then .pk3 last name first), any others after them.
void OrderArchives(const std::string& base, std::vector<std::string>& archives)
{
    std::map<std::string, size_t> rank;
    for (const std::string& archive : archives) {
        if (rank.count(archive))
            continue;
        std::vector<std::string> game = GameArchivesOf(base + DirectoryOf(archive));
        for (size_t i = 0; i < game.size(); ++i)
            rank.emplace(game[i].substr(base.size()), i);
    }
    auto rankOf = [&rank](const std::string& archive) {
        auto it = rank.find(archive);
        return it == rank.end() ? rank.size() : it->second;
    };
    std::sort(archives.begin(), archives.end(), [&](const std::string& a, const std::string& b) {
        return rankOf(a) != rankOf(b) ? rankOf(a) < rankOf(b) : a > b;
    });
}

// Loose files first, then the archives: the order the games search.
bool AddFolder(const std::string& folder, Found& found, std::string& error)
{
    std::vector<std::string> models, archives;
    std::error_code fault;
    for (auto it = fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied, fault);
         !fault && it != fs::recursive_directory_iterator(); it.increment(fault)) {
        std::string name = it->path().lexically_relative(folder).string();
        if (it->is_regular_file(fault) && IsModelFileName(name))
            models.push_back(name);
        else if (it->is_regular_file(fault) && IsArchiveName(name))
            archives.push_back(name);
    }
    if (fault) {
        error = folder + ": " + fault.message();
        return false;
    }
    std::string base = folder.back() == '/' ? folder : folder + "/";
    for (const std::string& model : WholeModels(models, base))
        Claim(found, model, base + model, ModifiedTime(base + model));
    OrderArchives(base, archives);
    for (const std::string& archive : archives)
        if (!AddArchive(base + archive, DirectoryOf(archive), found, error))
            return false;
    return true;
}

bool AddSource(const std::string& source, Found& found, std::string& error)
{
    struct stat info;
    bool exists = stat(source.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode) && !IsQ3PlayerFolder(source))
        return AddFolder(source, found, error);
    if (exists && IsArchiveName(source))
        return AddArchive(source, "", found, error);
    std::string archive, member;
    bool inArchive = SplitArchivePath(source, archive, member);
    if (IsQ3PlayerFolder(source)) {
        std::string folder = AsFolder(source);
        std::string name = FileNameOf(folder.substr(0, folder.size() - 1));
        found[name] = ExportItem{folder, name, "player", ModifiedTime(inArchive ? archive : folder + "lower.md3"), true};
        return true;
    }
    if (!IsModelFileName(source) || (!exists && !inArchive)) {
        error = source + ": neither a model, an archive (.pak, .pk3, .zip) nor a folder";
        return false;
    }
    Claim(found, inArchive ? member : FileNameOf(source), source, ModifiedTime(inArchive ? archive : source));
    return true;
}

// A player folder's lower, upper and head become the one player.
void GatherPlayers(Found& found)
{
    std::vector<std::string> legs;
    for (const auto& entry : found)
        if (strcasecmp(FileNameOf(entry.first).c_str(), "lower.md3") == 0)
            legs.push_back(entry.first);
    for (const std::string& lower : legs) {
        std::string folder = DirectoryOf(found[lower].source);
        if (!IsQ3PlayerFolder(folder))
            continue;
        std::string path = DirectoryOf(lower);
        ExportItem player{folder, path.substr(0, path.size() - 1), "player", ModifiedTime(folder + "animation.cfg"), true};
        for (const char* part : {"lower.md3", "upper.md3", "head.md3"}) {
            auto it = found.find(path + part);
            if (it == found.end() || DirectoryOf(it->second.source) != folder)
                continue;
            player.modified = std::max(player.modified, it->second.modified);
            found.erase(it);
        }
        found[player.name] = player;
    }
}

std::string WithoutExtension(const std::string& path)
{
    size_t dot = path.rfind('.');
    return dot == std::string::npos || dot < path.size() - FileNameOf(path).size() ? path : path.substr(0, dot);
}

}  // namespace

bool FindExportItems(const std::vector<std::string>& sources, std::vector<ExportItem>& items, std::string& error)
{
    Found all;
    for (const std::string& source : sources) {
        Found found;
        if (!AddSource(source, found, error))
            return false;
        GatherPlayers(found);
        for (auto& entry : found)
            all[entry.first] = entry.second;
    }
    std::map<std::string, int> stems;
    for (const auto& entry : all)
        stems[entry.second.format == "player" ? entry.first : WithoutExtension(entry.first)] += 1;
    items.clear();
    for (auto& entry : all) {
        ExportItem item = entry.second;
        std::string stem = item.format == "player" ? entry.first : WithoutExtension(entry.first);
        item.name = stems[stem] > 1 ? entry.first : stem;
        items.push_back(item);
    }
    std::sort(items.begin(), items.end(), [](const ExportItem& a, const ExportItem& b) { return a.name < b.name; });
    return true;
}
