#include "scene/export_current.h"

#include <cstdio>
#include <memory>
#include <string>

#include "export/export_model.h"
#include "export/player_export.h"
#include "platform/guarded.h"
#include "platform/names.h"
#include "render/tags.h"
#include "rig/assembly.h"
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
    // Read again for its skins as pictures (the viewer's are textures), a
    // player whole in the skin set it wears, with the weapon it holds.
    const ModelObject* root = RootModel(current);
    const ModelObject* gun = PlayerWeapon(current);
    request.skinName = root->numSkins > 1 ? root->skins[root->currentSkin].name : "";
    std::string error;
    bool written = Guarded(
        [&]() {
            Assembly model;
            if (!LoadAssembly("ExportModel", root->source, gun ? gun->path : "", model))
                error = "the model cannot be read again";
            else if (!IsExportName(request.output))
                error = "the name must end in .glb, .gltf or .obj";
            return error.empty() && ExportAssembly(model, request, error);
        },
        error);
    if (!written) {
        ReportError("ExportModel: %s: %s", AsText(chosen).c_str(), AsText(error).c_str());
        return;
    }
    printf("Exported %s to %s\n", root->source.c_str(), chosen);
}
