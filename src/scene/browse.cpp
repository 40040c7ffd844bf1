#include "scene/browse.h"

#include <strings.h>

#include <algorithm>
#include <map>
#include <memory>

#include "archive/game_files.h"
#include "model/load.h"
#include "platform/error_log.h"
#include "platform/paths.h"
#include "scene/model_list.h"
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

// The current model replaced by files[at] or, going by step, the next file
// that loads: never the current one.
void Browse(const char* who, int (*target)(int current, int count), int step)
{
    ModelObject* model = viewer.currentModel;
    if (!model)
        return;
    const std::vector<std::string>& files = ModelFilesBeside(model->path);
    std::string folder = DirectoryOf(model->path);
    int count = static_cast<int>(files.size()), current = PlaceOf(files, model->path);
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
        if (ModelObject* next = ReplaceModel(model, files[at].c_str())) {
            FrameModel(next, 0.8f);
            return;
        }
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
    for (const std::string& file : GameFolderFiles(folder))
        if (IsModelFileName(file))
            files.push_back(file);
    std::sort(files.begin(), files.end(), ByName);
    return listed.emplace(folder, std::move(files)).first->second;
}

std::string WindowTitle(const ModelObject* model)
{
    if (!model)
        return "Tarnivel";
    std::string title = FileNameOf(model->path);
    const std::vector<std::string>& files = ModelFilesBeside(model->path);
    int place = PlaceOf(files, model->path);
    if (place >= 0)
        title += " (" + std::to_string(place + 1) + "/" + std::to_string(files.size()) + ")";
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
