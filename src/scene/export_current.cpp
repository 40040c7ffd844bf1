#include "scene/export_current.h"

#include <cstdio>
#include <memory>
#include <string>

#include "export/export_model.h"
#include "export/player_export.h"
#include "model/load.h"
#include "platform/chooser.h"
#include "platform/error_log.h"
#include "platform/paths.h"
#include "scene/q3_player.h"
#include "state/viewer_state.h"

void ExportCurrentModel(float)
{
    const ModelObject* current = viewer.currentModel;
    if (!current)
        return;
    std::string player = PlayerFolder(current);
    std::string name = player.empty() ? FileNameOf(current->path) : FileNameOf(player.substr(0, player.size() - 1)) + ".";
    std::string proposed = std::string(viewer.startDirectory) + name.substr(0, name.rfind('.')) + ".glb";
    char chosen[kChooserBufferSize];
    if (!GetFileSaveName("Export the model to (.glb, .gltf or .obj): ", proposed.c_str(), chosen))
        return;
    ExportRequest request;
    request.output = chosen;
    std::string error;
    if (!player.empty()) {
        // A player whole, in the skin set it wears, with the weapon it holds.
        const ModelObject* gun = PlayerWeapon(current);
        request.skinName = PlayerLegs(current)->skins[PlayerLegs(current)->currentSkin].name;
        if (!ExportQ3Player(player, gun ? gun->path : "", request, error)) {
            ReportError("ExportModel: %s: %s", chosen, error.c_str());
            return;
        }
        printf("Exported %s to %s\n", player.c_str(), chosen);
        return;
    }
    // The file is read again for its skins as pictures; the viewer's are textures.
    std::unique_ptr<ModelObject> model = LoadModelFile("ExportModel", current->path.c_str());
    if (!model)
        error = "the model file cannot be read again";
    else if (!IsExportName(request.output))
        error = "the name must end in .glb, .gltf or .obj";
    if (!error.empty() || !ExportModel(*model, request, error)) {
        ReportError("ExportModel: %s: %s", chosen, error.c_str());
        return;
    }
    printf("Exported %s to %s\n", current->path.c_str(), chosen);
}
