#include "render/textures.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <vector>

#include "looks/skins.h"
#include "platform/error_log.h"
#include "state/viewer_state.h"

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
std::vector<uint8_t> Reduced(const uint8_t* pixels, int width, int height, int channels, int factor, int* newWidth,
                             int* newHeight)
{
    int w = *newWidth = (width + factor - 1) / factor, h = *newHeight = (height + factor - 1) / factor;
    std::vector<uint8_t> out(static_cast<size_t>(w) * h * channels);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            unsigned sum[4] = {0, 0, 0, 0}, count = 0;
            for (int dy = 0; dy < factor && y * factor + dy < height; ++dy) {
                const uint8_t* row = pixels + (static_cast<size_t>(y * factor + dy) * width + x * factor) * channels;
                for (int dx = 0; dx < factor && x * factor + dx < width; ++dx, ++count)
                    for (int c = 0; c < channels; ++c)
                        sum[c] += row[channels * dx + c];
            }
            for (int c = 0; c < channels; ++c)
                out[(static_cast<size_t>(y) * w + x) * channels + c] = static_cast<uint8_t>(sum[c] / count);
        }
    }
    return out;
}

}  // namespace

namespace {

uint32_t CreateTexture(const uint8_t* pixels, int width, int height, int channels)
{
    std::vector<uint8_t> reduced;
    int limit = viewer.textureSizeLimit;
    if (limit > 0 && (width > limit || height > limit)) {
        int factor = (std::max(width, height) + limit - 1) / limit;
        reduced = Reduced(pixels, width, height, channels, factor, &width, &height);
        pixels = reduced.data();
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
    gluBuild2DMipmaps(GL_TEXTURE_2D, 4, width, height, channels == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, pixels);
    glDisable(GL_TEXTURE_2D);
    CheckGLError("CreateTextureFromSkin()");
    return texture;
}

}  // namespace

uint32_t CreateTextureFromRgb(const uint8_t* rgb, int width, int height)
{
    return CreateTexture(rgb, width, height, 3);
}

uint32_t CreateTextureFromImage(const RgbImage& image)
{
    if (image.alpha.empty())
        return CreateTexture(image.rgb.data(), image.width, image.height, 3);
    std::vector<uint8_t> rgba(4 * image.alpha.size());
    for (size_t i = 0; i < image.alpha.size(); ++i) {
        std::copy(&image.rgb[3 * i], &image.rgb[3 * i] + 3, &rgba[4 * i]);
        rgba[4 * i + 3] = image.alpha[i];
    }
    return CreateTexture(rgba.data(), image.width, image.height, 4);
}

uint32_t CreateTextureFromSkin(const uint8_t* indices, const uint8_t* palette, int width, int height,
                               int paletteEntries)
{
    RgbImage image;
    if (!PalettedSkin(indices, palette, width, height, paletteEntries, image))
        return 0;
    return CreateTextureFromRgb(image.rgb.data(), width, height);
}

bool MakeSkinTextures(ModelObject* model)
{
    std::vector<RgbImage> pictures = std::move(model->skinPictures);
    model->skinPictures.clear();
    std::vector<uint32_t>& textures = model->pictureTextures;
    textures.clear();
    for (const RgbImage& picture : pictures) {
        textures.push_back(CreateTextureFromImage(picture));
        if (textures.back() == 0)
            return false;
    }
    for (int i = 0; i < model->numSkins; ++i) {
        SkinInfo& skin = model->skins[i];
        if (skin.partPictures.empty()) {
            skin.textureId = i < static_cast<int>(textures.size()) ? textures[i] : 0;
            continue;
        }
        // A skin set: the parts share the pictures it names.
        skin.partTextures.clear();
        for (int32_t picture : skin.partPictures)
            skin.partTextures.push_back(picture >= 0 && picture < static_cast<int>(textures.size()) ? textures[picture]
                                                                                                   : 0);
    }
    return true;
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
        const std::vector<uint32_t>& parts = model->skins[i].partTextures;
        if (!parts.empty())
            glDeleteTextures(static_cast<GLsizei>(parts.size()), parts.data());  // a name twice is ignored
    }
    if (!model->pictureTextures.empty())
        glDeleteTextures(static_cast<GLsizei>(model->pictureTextures.size()), model->pictureTextures.data());
    model->pictureTextures.clear();
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
