#include "export/export_model.h"

#include <strings.h>


namespace {

// The text after the file name's last dot; empty without one.
const char* ExtensionOf(const std::string& path)
{
    size_t dot = path.rfind('.'), slash = path.rfind('/');
    return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? "" : path.c_str() + dot + 1;
}

}  // namespace

bool IsExportName(const std::string& path)
{
    const char* extension = ExtensionOf(path);
    for (const char* known : {"glb", "gltf", "obj", "md3", "iqm", "md2", "mdl"})
        if (strcasecmp(extension, known) == 0)
            return true;
    return false;
}

bool ExportModel(const ModelObject& model, const ExportRequest& asked, std::string& error)
{
    ExportRequest request = asked;
    for (int skin = 0; !request.skinName.empty() && skin < model.numSkins; ++skin)
        if (request.skinName == model.skins[skin].name)
            request.skin = skin, request.skinName.clear();
    if (!request.skinName.empty()) {
        error = "the model has no skin \"" + request.skinName + "\"";
        return false;
    }
    const char* extension = ExtensionOf(request.output);
    if (request.skin >= 0 && request.skin >= model.numSkins) {
        error = "the model has no skin " + std::to_string(request.skin) + " (it has " +
                std::to_string(model.numSkins) + ")";
        return false;
    }
    if (request.summary)
        request.summary->frames = model.numFrames;
    bool skeletal = model.drawn->skeleton != nullptr;
    if (strcasecmp(extension, "glb") == 0 || strcasecmp(extension, "gltf") == 0) {
        bool binary = strcasecmp(extension, "glb") == 0;
        return skeletal ? WriteSkeletalGltf(model, request, binary, error) : WriteGltf(model, request, binary, error);
    }
    if (strcasecmp(extension, "obj") == 0)
        return WriteObj(model, request, error);
    if (strcasecmp(extension, "md3") == 0)
        return WriteMd3Model(model, request, error);
    if (strcasecmp(extension, "iqm") == 0)
        return WriteIqmModel(model, request, error);
    if (strcasecmp(extension, "md2") == 0)
        return WriteMd2Model(model, request, error);
    if (strcasecmp(extension, "mdl") == 0)
        return WriteMdlModel(model, request, error);
    error = "the output must end in .glb, .gltf, .obj, .md3, .iqm, .md2 or .mdl";
    return false;
}
