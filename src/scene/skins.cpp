#include "scene/skins.h"

#include <cstring>

#include <GL/gl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/archive_choice.h"
#include "looks/skins.h"
#include "platform/chooser.h"
#include "platform/error_log.h"
#include "platform/paths.h"
#include "render/draw.h"
#include "render/tags.h"
#include "render/textures.h"
#include "scene/q3_player.h"
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

namespace {

bool UsedByShaders(const ModelObject* model, uint32_t texture)
{
    for (const ModelShader& shader : model->shaders)
        for (const ShaderPass& pass : shader.passes)
            for (int32_t picture : pass.pictures)
                if (picture >= 0 && picture < static_cast<int>(model->pictureTextures.size()) &&
                    model->pictureTextures[picture] == texture)
                    return true;
    return false;
}

// Deletes the skin's textures that no other skin of the model uses (skin
// sets share their pictures) and no shader draws with.
void DeleteOwnTextures(ModelObject* model, int skin)
{
    std::vector<uint32_t> textures = model->skins[skin].partTextures;
    textures.push_back(model->skins[skin].textureId);
    for (uint32_t texture : textures) {
        bool shared = UsedByShaders(model, texture);
        for (int other = 0; other < model->numSkins && !shared; ++other) {
            const std::vector<uint32_t>& parts = model->skins[other].partTextures;
            shared = other != skin && std::find(parts.begin(), parts.end(), texture) != parts.end();
        }
        if (shared)
            continue;
        glDeleteTextures(1, &texture);
        // The name may be given to another texture from now on.
        std::replace(model->pictureTextures.begin(), model->pictureTextures.end(), texture, 0u);
    }
}

}  // namespace

void RemoveSkin(float)
{
    ModelObject* model = viewer.currentModel;
    if (!model || model->numSkins <= 0)
        return;
    DeleteOwnTextures(model, model->currentSkin);
    for (int i = model->currentSkin; i + 1 < model->numSkins; ++i)
        model->skins[i] = model->skins[i + 1];
    model->numSkins--;
    if (model->currentSkin >= model->numSkins && model->currentSkin > 0)
        model->currentSkin--;
    if (model->numSkins == 0)
        model->hasSkins = model->texturing = false;
}

namespace {

// A player's parts wear the skin set of the model's name together.
void MatchPlayerSkins(const ModelObject* model)
{
    ModelObject* legs = PlayerLegs(model);
    for (ModelObject* part = viewer.modelList.get(); legs && part; part = part->next.get()) {
        if (part == model || RootModel(part) != legs)
            continue;
        for (int i = 0; i < part->numSkins; ++i)
            if (strcmp(part->skins[i].name, model->skins[model->currentSkin].name) == 0)
                part->currentSkin = i;
    }
}

}  // namespace

void NextSkin(float)
{
    ModelObject* model = viewer.currentModel;
    if (!model)
        return;
    if (++model->currentSkin >= model->numSkins)
        model->currentSkin = 0;
    MatchPlayerSkins(model);
}

bool WearSkinNamed(ModelObject* model, const std::string& name)
{
    for (int i = 0; i < model->numSkins; ++i) {
        if (name != model->skins[i].name)
            continue;
        model->currentSkin = i;
        MatchPlayerSkins(model);
        return true;
    }
    return false;
}

