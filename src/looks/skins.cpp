#include "looks/skins.h"

#include <cmath>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "archive/game_files.h"
#include "formats/pcx.h"
#include "platform/error_log.h"
#include "platform/names.h"
#include "platform/paths.h"

bool PalettedSkin(const uint8_t* indices, const uint8_t* palette, int width, int height, int paletteEntries,
                  RgbImage& image)
{
    size_t pixels = static_cast<size_t>(width) * height;
    try {
        image.rgb.assign(pixels * 3, 0);
    } catch (const std::bad_alloc&) {
        ReportError("CreateTextureFromSkin: couldn't malloc space for textureUnscaled buffer");
        return false;
    }
    image.width = width;
    image.height = height;
    for (size_t i = 0; i < pixels; ++i) {
        if (indices[i] >= paletteEntries)
            continue;  // already black
        for (int c = 0; c < 3; ++c)
            image.rgb[3 * i + c] = palette[3 * indices[i] + c];
    }
    return true;
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
    CopyText(skin->name, sizeof skin->name, AsText(fileName ? fileName : path));
}

bool LoadTrueColourSkin(const char* path, SkinInfo* skin, RgbImage& image)
{
    std::vector<uint8_t> bytes;
    if (!ReadSkinFile(path, bytes) ||
        !DecodeTrueColour(bytes.data(), bytes.size(), ExtractExtension(path), image, false, SkinPixelsWanted()))
        return false;
    NameSkinAfterFile(skin, path);
    return true;
}

}  // namespace

bool LoadPcxSkin(const char* path, SkinInfo* skin, RgbImage& image, int skinWidth, int skinHeight)
{
    std::vector<uint8_t> bytes;
    PcxImage pcx;
    std::vector<uint8_t> block;
    if (!ReadSkinFile(path, bytes) || !DecodePcx(bytes.data(), bytes.size(), pcx) ||
        !CropPcxImage(pcx, skinWidth, skinHeight, block) ||
        !PalettedSkin(block.data(), pcx.palette.data(), skinWidth, skinHeight,
                      static_cast<int>(pcx.palette.size() / 3), image))
        return false;
    NameSkinAfterFile(skin, path);
    return true;
}

bool LoadSkinFile(const char* path, SkinInfo* skin, RgbImage& image, int skinWidth, int skinHeight)
{
    if (IsTrueColourExtension(ExtractExtension(path)))
        return LoadTrueColourSkin(path, skin, image);
    return LoadPcxSkin(path, skin, image, skinWidth, skinHeight);
}

int SkinGroupPicture(const ModelLooks* model, double seconds)
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

namespace {

bool pixelsWanted = true;

}  // namespace

SkinFilesOnly::SkinFilesOnly() : saved_(pixelsWanted)
{
    pixelsWanted = false;
}

SkinFilesOnly::~SkinFilesOnly()
{
    pixelsWanted = saved_;
}

bool SkinPixelsWanted()
{
    return pixelsWanted;
}
