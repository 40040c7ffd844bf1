#include "models/skins.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <strings.h>

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "archive/game_files.h"
#include "core/error_log.h"
#include "core/viewer_state.h"
#include "models/archive_choice.h"
#include "models/pcx.h"
#include "models/truecolour.h"
#include "platform/chooser.h"
#include "platform/paths.h"
#include "render/animation.h"
#include "render/draw.h"

void InitTextureEnvironment()
{
    viewer.textureFilter = GL_LINEAR;
    viewer.textureEnvMode = GL_MODULATE;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const float white[4] = {1, 1, 1, 1};
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, white);
}

namespace {

// The image made smaller by a whole factor, each texel the mean of its block.
std::vector<uint8_t> Reduced(const uint8_t* rgb, int width, int height, int factor, int* newWidth, int* newHeight)
{
    int w = *newWidth = (width + factor - 1) / factor, h = *newHeight = (height + factor - 1) / factor;
    std::vector<uint8_t> out(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            unsigned sum[3] = {0, 0, 0}, count = 0;
            for (int dy = 0; dy < factor && y * factor + dy < height; ++dy) {
                const uint8_t* row = rgb + (static_cast<size_t>(y * factor + dy) * width + x * factor) * 3;
                for (int dx = 0; dx < factor && x * factor + dx < width; ++dx, ++count)
                    for (int c = 0; c < 3; ++c)
                        sum[c] += row[3 * dx + c];
            }
            for (int c = 0; c < 3; ++c)
                out[(static_cast<size_t>(y) * w + x) * 3 + c] = static_cast<uint8_t>(sum[c] / count);
        }
    }
    return out;
}

}  // namespace

uint32_t CreateTextureFromRgb(const uint8_t* rgb, int width, int height)
{
    std::vector<uint8_t> reduced;
    int limit = viewer.textureSizeLimit;
    if (limit > 0 && (width > limit || height > limit)) {
        int factor = (std::max(width, height) + limit - 1) / limit;
        reduced = Reduced(rgb, width, height, factor, &width, &height);
        rgb = reduced.data();
    }
    glEnable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, viewer.textureFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, viewer.textureFilter);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 4, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    glDisable(GL_TEXTURE_2D);
    CheckGLError("CreateTextureFromSkin()");
    return texture;
}

uint32_t CreateTextureFromSkin(const uint8_t* indices, const uint8_t* palette, int width,
                               int height, int paletteEntries)
{
    size_t pixels = static_cast<size_t>(width) * height;
    std::vector<uint8_t> rgb;
    try {
        rgb.resize(pixels * 3);
    } catch (const std::bad_alloc&) {
        ReportError("CreateTextureFromSkin: couldn't malloc space for textureUnscaled buffer");
        return 0;
    }
    for (size_t i = 0; i < pixels; ++i) {
        if (indices[i] >= paletteEntries)
            continue;  // already black
        for (int c = 0; c < 3; ++c)
            rgb[3 * i + c] = palette[3 * indices[i] + c];
    }
    return CreateTextureFromRgb(rgb.data(), width, height);
}

namespace {

// A skin image, loose or inside an archive.
bool ReadSkinFile(const char* path, std::vector<uint8_t>& bytes)
{
    std::string error;
    return ReadGameFile(path, bytes, error) == GameFileResult::kOk;
}

void NameSkinAfterFile(SkinInfo* skin, const char* path)
{
    const char* fileName = ExtractFileName(path);
    snprintf(skin->name, sizeof skin->name, "%s", fileName ? fileName : path);
}

bool LoadTrueColourSkin(const char* path, SkinInfo* skin)
{
    std::vector<uint8_t> bytes;
    RgbImage image;
    if (!ReadSkinFile(path, bytes) ||
        !DecodeTrueColour(bytes.data(), bytes.size(), ExtractExtension(path), image))
        return false;
    skin->textureId = CreateTextureFromRgb(image.rgb.data(), image.width, image.height);
    NameSkinAfterFile(skin, path);
    return true;
}

}  // namespace

bool LoadPcxSkin(const char* path, SkinInfo* skin, int skinWidth, int skinHeight)
{
    std::vector<uint8_t> bytes;
    PcxImage image;
    std::vector<uint8_t> block;
    if (!ReadSkinFile(path, bytes) ||
        !DecodePcx(bytes.data(), bytes.size(), image) ||
        !CropPcxImage(image, skinWidth, skinHeight, block))
        return false;
    skin->textureId = CreateTextureFromSkin(block.data(), image.palette.data(), skinWidth,
                                            skinHeight, static_cast<int>(image.palette.size() / 3));
    NameSkinAfterFile(skin, path);
    return true;
}

bool LoadSkinFile(const char* path, SkinInfo* skin, int skinWidth, int skinHeight)
{
    if (IsTrueColourExtension(ExtractExtension(path)))
        return LoadTrueColourSkin(path, skin);
    return LoadPcxSkin(path, skin, skinWidth, skinHeight);
}

int SkinGroupPicture(const ModelObject* model, double seconds)
{
    int skin = model->currentSkin;
    if (skin < 0 || skin >= model->numSkins || model->skins[skin].group < 0)
        return skin;
    int group = model->skins[skin].group, first = skin, last = skin;
    while (first > 0 && model->skins[first - 1].group == group)
        --first;
    while (last + 1 < model->numSkins && model->skins[last + 1].group == group)
        ++last;
    double full = model->skins[last].interval;
    double t = seconds - std::floor(seconds / full) * full;
    for (int i = first; i < last; ++i)
        if (model->skins[i].interval > t)
            return i;
    return last;
}

int DrawnSkin(const ModelObject* model)
{
    int skin = model->currentSkin, picture = model->animatedSkin;
    bool clockRuns = ClockRuns();
    if (clockRuns && picture >= 0 && picture < model->numSkins && skin >= 0 && skin < model->numSkins &&
        model->skins[skin].group >= 0 && model->skins[picture].group == model->skins[skin].group)
        return picture;
    return skin;
}

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
    model->skins[model->numSkins] = SkinInfo{};
    if (!LoadSkinFile(name, &model->skins[model->numSkins], model->skinWidth, model->skinHeight)) {
        ReportError("Unable to open add skin %s", name);
        return;
    }
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

void ToggleTextureFilter(float)
{
    viewer.textureFilter = viewer.textureFilter == GL_LINEAR ? GL_NEAREST : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, viewer.textureFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, viewer.textureFilter);
}

void SetTextureEnvMode(float mode)
{
    viewer.textureEnvMode = static_cast<GLenum>(static_cast<int>(mode));
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(viewer.textureEnvMode));
}
