#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/error_log.h"
#include "models/file_bytes.h"
#include "models/md2.h"
#include "models/palette.h"
#include "models/pcx.h"
#include "models/skin_search.h"
#include "models/skins.h"
#include "models/truecolour.h"
#include "platform/paths.h"

namespace {

// A found skin: palette indices of the skin size, or true-colour pixels.
struct FoundSkin {
    std::string path;
    std::vector<uint8_t> indices;
    RgbImage image;
};

bool DecodeCandidate(const std::string& path, int width, int height, FoundSkin& found)
{
    std::vector<uint8_t> bytes;
    if (ReadFileBytes(path.c_str(), bytes) != FileReadResult::kOk)
        return false;
    const char* extension = ExtractExtension(path.c_str());
    if (IsTrueColourExtension(extension))
        return DecodeTrueColour(bytes.data(), bytes.size(), extension, found.image);
    PcxImage pcx;
    return width > 0 && height > 0 && DecodePcx(bytes.data(), bytes.size(), pcx) &&
           CropPcxImage(pcx, width, height, found.indices);
}

bool FindSkin(const SkinName& name, const char* modelPath, int width, int height, FoundSkin& found)
{
    char text[kMd2SkinNameSize + 1] = {};
    memcpy(text, name.text, kMd2SkinNameSize);
    for (const std::string& candidate : Md2SkinCandidates(text, modelPath)) {
        std::string path = FindFileIgnoringCase(candidate);
        if (!path.empty() && DecodeCandidate(path, width, height, found)) {
            found.path = path;
            return true;
        }
    }
    return false;
}

}  // namespace

int ReadMD2Skin(const SkinName& name, const char* modelPath, ModelObject* model)
{
    FoundSkin found;
    // Without an image the model loads untextured; "Load Skin" can still add one.
    if (!FindSkin(name, modelPath, model->skinWidth, model->skinHeight, found))
        return 1;
    SkinInfo& skin = model->skins[model->numSkins];
    skin = SkinInfo{};
    memcpy(skin.name, name.text, sizeof skin.name);
    if (!found.indices.empty()) {
        skin.textureId =
            CreateTextureFromSkin(found.indices.data(), md2Palette, model->skinWidth, model->skinHeight);
    } else {
        skin.textureId = CreateTextureFromRgb(found.image.rgb.data(), found.image.width, found.image.height);
        snprintf(skin.name, sizeof skin.name, "%s", ExtractFileName(found.path.c_str()));
    }
    if (skin.textureId == 0)
        return 0;
    model->hasSkins = model->texturing = true;
    model->numSkins++;
    CheckGLError("ReadMD2Skin()");
    return 1;
}
