#include "scene/skins.h"

#include <GL/gl.h>

#include <string>

#include "model/archive_choice.h"
#include "model/skins.h"
#include "platform/chooser.h"
#include "platform/error_log.h"
#include "platform/paths.h"
#include "render/draw.h"
#include "render/textures.h"
#include "state/viewer_state.h"

void AddSkin(const char* path)
{
    ModelObject* model = viewer.currentModel;
    if (!model)
        return;
    if (model->numSkins >= model->maxSkins) {
        ReportError("AddSkin: maximum number of skins reached: %d", model->maxSkins);
        return;
    }
    char chosen[kMaxPath];
    if (path && !PathFits("AddSkin", path))
        return;
    if (!path && !GetFileOpenName("Name of skin (.pcx): ", chosen))
        return;
    std::string whole = path ? path : chosen;
    if (!ResolveArchiveChoice("AddSkin", ArchiveChoice::kSkin, whole))
        return;
    const char* name = whole.c_str();
    SkinInfo& skin = model->skins[model->numSkins];
    skin = SkinInfo{};
    RgbImage image;
    if (!LoadSkinFile(name, &skin, image, model->skinWidth, model->skinHeight)) {
        ReportError("Unable to open add skin %s", name);
        return;
    }
    skin.textureId = CreateTextureFromRgb(image.rgb.data(), image.width, image.height);
    model->currentSkin = model->numSkins;
    model->numSkins++;
    model->hasSkins = true;
    if (!model->texturing) {
        model->texturing = true;
        UpdateModelDisplayList(model, 0.0f);
    }
}

void LoadSkin(float)
{
    AddSkin(nullptr);
}

void RemoveSkin(float)
{
    ModelObject* model = viewer.currentModel;
    if (!model || model->numSkins <= 0)
        return;
    GLuint texture = model->skins[model->currentSkin].textureId;
    glDeleteTextures(1, &texture);
    for (int i = model->currentSkin; i + 1 < model->numSkins; ++i)
        model->skins[i] = model->skins[i + 1];
    model->numSkins--;
    if (model->currentSkin >= model->numSkins && model->currentSkin > 0)
        model->currentSkin--;
    if (model->numSkins == 0)
        model->hasSkins = model->texturing = false;
}

void NextSkin(float)
{
    ModelObject* model = viewer.currentModel;
    if (!model)
        return;
    if (++model->currentSkin >= model->numSkins)
        model->currentSkin = 0;
}

namespace {

bool DeleteSkinTextures(ModelObject* model)
{
    if (!model->skins) {
        ReportError("The model had no skin infos to free!");
        return false;
    }
    for (int i = 0; i < model->numSkins; ++i) {
        GLuint texture = model->skins[i].textureId;
        glDeleteTextures(1, &texture);
    }
    model->hasSkins = model->texturing = false;
    model->numSkins = 0;
    model->currentSkin = 0;
    return true;
}

}  // namespace

void FreeSkinInfos(ModelObject* model)
{
    if (!DeleteSkinTextures(model))
        return;
    model->skins.reset();
    model->maxSkins = 0;
}

void ClearSkinInfos(ModelObject* model)
{
    DeleteSkinTextures(model);
}
