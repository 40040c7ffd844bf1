#include "scene/player.h"

#include <cstdio>
#include <string>

#include "model/archive_choice.h"
#include "platform/chooser.h"
#include "platform/error_log.h"
#include "platform/paths.h"
#include "scene/model_list.h"
#include "render/textures.h"
#include "scene/skins.h"
#include "state/viewer_state.h"

namespace {

// Asks for a directory by a file inside it; false after a report.
// A player's directory may be a folder inside an archive: choosing the
// archive asks which of its player folders is meant.
bool AskDirectory(const char* prompt, char* directory, bool player)
{
    char chosen[kChooserBufferSize];
    if (!GetDirectoryName(prompt, chosen)) {
        ReportError("Invalid directory name");
        return false;
    }
    std::string path = chosen;
    if (player && !ResolveArchiveChoice("LoadQ2Player", ArchiveChoice::kPlayer, path))
        return false;
    if (player)
        printf("The full path returned is \"%s\"\n", path.c_str());
    if (!ExtractDirectory(path.c_str(), directory)) {
        ReportError("Unable to extract the directory");
        return false;
    }
    return true;
}

}  // namespace

void LoadQ2Player(float)
{
    char directory[kMaxPath];
    if (!AskDirectory("Choose directory of a Q2 player model: ", directory, true))
        return;
    ModelObject* body = AddModel((std::string(directory) + "tris.md2").c_str());
    if (!body)
        return;
    StartSkinAutoLoad(body, directory, 10);
    if (!AddModel((std::string(directory) + "weapon.md2").c_str()))
        return;
    AddSkin((std::string(directory) + "weapon.pcx").c_str());
}

void StartSkinAutoLoad(ModelObject* model, const char* directory, int count)
{
    char chosen[kMaxPath];
    if (!directory) {
        if (!AskDirectory("Choose directory to auto load skins from: ", chosen, false))
            return;
        directory = chosen;
    }
    model->autoSkinName[0] = '\0';
    snprintf(model->autoSkinDirectory, sizeof model->autoSkinDirectory, "%s", directory);
    ClearSkinInfos(model);
    AutoLoadSkins(model, model->autoSkinDirectory, count);
}

void ContinueSkinAutoLoad(ModelObject* model, int count)
{
    if (model->autoSkinName[0] == '\0') {
        ReportError("More skins could not be loaded because none have been added already");
        return;
    }
    ClearSkinInfos(model);
    AutoLoadSkins(model, model->autoSkinDirectory, count);
}

void AutoLoadSkins(ModelObject*, const char*, int)
{
    printf("Sorry, but auto-loading of skins has been disabled for this version.\n");
}

void StartAutoLoadSkins(float count)
{
    if (viewer.currentModel)
        StartSkinAutoLoad(viewer.currentModel, nullptr, static_cast<int>(count));
}

void AutoLoadMoreSkins(float count)
{
    if (viewer.currentModel)
        ContinueSkinAutoLoad(viewer.currentModel, static_cast<int>(count));
}
