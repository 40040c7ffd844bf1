#include "scene/browse.h"

#include <strings.h>

#include <algorithm>
#include <map>
#include <memory>

#include "archive/game_files.h"
#include "model/darkplaces_files.h"
#include "model/load.h"
#include "model/model_formats.h"
#include "platform/error_log.h"
#include "platform/paths.h"
#include "rig/assembly.h"
#include "rig/player_files.h"
#include "render/tags.h"
#include "scene/model_list.h"
#include "scene/q3_player.h"
#include "state/viewer_state.h"
#include "view/framing.h"

namespace {

bool ByName(const std::string& a, const std::string& b)
{
    int order = strcasecmp(FileNameOf(a).c_str(), FileNameOf(b).c_str());
    return order != 0 ? order < 0 : a < b;
}

// Where the model lies among the files; -1 when it is not among them.
int PlaceOf(const std::vector<std::string>& files, const std::string& path)
{
    for (size_t i = 0; i < files.size(); ++i)
        if (strcasecmp(files[i].c_str(), path.c_str()) == 0)
            return static_cast<int>(i);
    return -1;
}

std::string Trimmed(const std::string& folder)
{
    return folder.size() > 1 && folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder;
}

// What the current model is among what browsing steps through: a player its
// folder among the player folders beside it, then the model files there;
// any other model its file among the model files of its folder.
struct Place {
    std::vector<std::string> entries;
    std::string entry;
    std::string folder;
};

Place PlaceOfModel(const ModelObject* model)
{
    Place place;
    std::string player = PlayerFolder(model);
    if (player.empty()) {
        place.entries = ModelFilesBeside(model->path);
        place.entry = model->path;
        place.folder = DirectoryOf(model->path);
        return place;
    }
    place.folder = DirectoryOf(Trimmed(player));
    place.entries = PlayerFoldersIn(place.folder);
    std::sort(place.entries.begin(), place.entries.end(),
              [](const std::string& a, const std::string& b) { return ByName(Trimmed(a), Trimmed(b)); });
    const std::vector<std::string>& files = ModelFilesBeside(place.folder + "any");
    place.entries.insert(place.entries.end(), files.begin(), files.end());
    place.entry = player;
    return place;
}

// The entry in place of the model: a model file where the model was, or,
// from or to a player, the new one added and the old removed whole; its
// placement and material kept. Null, the old left as it was, after the
// reports of a load that fails.
ModelObject* ReplaceWith(ModelObject* model, const std::string& entry)
{
    Assembly loaded;
    if (!LoadAssembly("AddModel", entry, "", loaded))
        return nullptr;
    if (loaded.pieces.size() == 1 && PlayerFolder(model).empty())
        return ReplaceModel(model, std::move(loaded.pieces[0]));
    ModelObject* old = const_cast<ModelObject*>(RootModel(model));
    ModelObject* added = AddAssembly(std::move(loaded));
    if (!added)
        return nullptr;
    added->placement = old->placement;
    added->materialIndex = old->materialIndex;
    RemovePlayerOf(old);
    viewer.currentModel = added;
    return added;
}

// The current model replaced by files[at] or, going by step, the next file
// that loads: never the current one.
void Browse(const char* who, int (*target)(int current, int count), int step)
{
    ModelObject* model = viewer.currentModel;
    if (!model)
        return;
    Place place = PlaceOfModel(model);
    const std::vector<std::string>& files = place.entries;
    const std::string& folder = place.folder;
    int count = static_cast<int>(files.size()), current = PlaceOf(files, place.entry);
    if (count == 0 || (count == 1 && current == 0)) {
        ReportError("%s: \"%s\" holds no other model", who, folder.c_str());
        return;
    }
    int at = target(current, count);
    if (at == current)
        return;  // already the first, or the last
    for (int tries = 0; tries < count; ++tries, at = (at + step + count) % count) {
        if (at == current)
            continue;
        if (ModelObject* next = ReplaceWith(model, files[at])) {
            FrameModel(next, 0.8f);
            return;
        }
        ReportError("%s: \"%s\" does not load and is passed over", who, files[at].c_str());
    }
    ReportError("%s: no other model of \"%s\" loads", who, folder.c_str());
}

int After(int current, int count)
{
    return (current + 1) % count;
}

int Before(int current, int count)
{
    return current <= 0 ? count - 1 : current - 1;
}

int First(int, int)
{
    return 0;
}

int Last(int, int count)
{
    return count - 1;
}

}  // namespace

const std::vector<std::string>& ModelFilesBeside(const std::string& modelPath)
{
    static std::map<std::string, std::vector<std::string>> listed;
    std::string folder = DirectoryOf(modelPath);
    auto known = listed.find(folder);
    if (known != listed.end())
        return known->second;
    std::vector<std::string> files;
    std::vector<std::string> all = GameFolderFiles(folder);
    // A level of detail is the model it is of, not a model of its own.
    for (const std::string& file : all)
        if (IsModelFileName(file) && LevelOfDetailOf(file, all, nullptr).empty())
            files.push_back(file);
    files = WholeModels(files);
    std::sort(files.begin(), files.end(), ByName);
    return listed.emplace(folder, std::move(files)).first->second;
}

std::string WindowTitle(const ModelObject* model)
{
    if (!model)
        return "Tarnivel";
    Place place = PlaceOfModel(model);
    std::string title = FileNameOf(Trimmed(place.entry));
    int at = PlaceOf(place.entries, place.entry);
    if (at >= 0)
        title += " (" + std::to_string(at + 1) + "/" + std::to_string(place.entries.size()) + ")";
    return title + " - Tarnivel";
}

void NextModelFile(float)
{
    Browse("NextModelFile", After, 1);
}

void PreviousModelFile(float)
{
    Browse("PreviousModelFile", Before, -1);
}

void FirstModelFile(float)
{
    Browse("FirstModelFile", First, 1);
}

void LastModelFile(float)
{
    Browse("LastModelFile", Last, -1);
}
