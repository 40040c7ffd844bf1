#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "archive/game_files.h"
#include "formats/md2.h"
#include "formats/pcx.h"
#include "formats/truecolour.h"
#include "model/format_loads.h"
#include "model/md2_model.h"
#include "looks/palettes.h"
#include "model/md2_skin_names.h"
#include "looks/skins.h"
#include "platform/error_log.h"
#include "platform/names.h"
#include "platform/paths.h"

namespace {

// A found skin: palette indices of the skin size with the image's own
// palette, or true-colour pixels.
struct FoundSkin {
    std::string path;
    std::vector<uint8_t> indices;
    std::vector<uint8_t> ownPalette;
    RgbImage image;
};

bool DecodeCandidate(const std::string& path, int width, int height, FoundSkin& found)
{
    std::vector<uint8_t> bytes;
    std::string error;
    if (ReadGameFile(path, bytes, error) != GameFileResult::kOk)
        return false;
    const char* extension = ExtractExtension(path.c_str());
    if (IsTrueColourExtension(extension))
        return DecodeTrueColour(bytes.data(), bytes.size(), extension, found.image, false, SkinPixelsWanted());
    PcxImage pcx;
    if (width <= 0 || height <= 0 || !DecodePcx(bytes.data(), bytes.size(), pcx) ||
        !CropPcxImage(pcx, width, height, found.indices))
        return false;
    found.ownPalette = std::move(pcx.palette);
    return true;
}

bool TryCandidate(const std::string& path, int width, int height, FoundSkin& found)
{
    if (path.empty() || !DecodeCandidate(path, width, height, found))
        return false;
    found.path = path;
    return true;
}

// The game's search path first, then the model's folder and the working directory.
bool FindSkin(const Md2SkinName& name, const char* modelPath, int width, int height, FoundSkin& found)
{
    std::string text = TextName(name.text, kMd2SkinNameSize);
    std::vector<std::string> gameNames = Md2SkinGameNames(text);
    if (!gameNames.empty()) {
        for (const std::string& place : GameSearchPlaces(modelPath, BaseGameFolders(QuakeGame::kQuake2), gameNames[0]))
            for (const std::string& gameName : gameNames)
                if (TryCandidate(FindInPlaces({place}, gameName), width, height, found))
                    return true;
    }
    for (const std::string& candidate : Md2SkinCandidates(text, modelPath))
        if (TryCandidate(FindGameFile(candidate), width, height, found))
            return true;
    return false;
}

// The palette a PCX skin is shown with: the Quake 2 one when there is one,
// else the image's own 256 colours; null when neither exists.
const uint8_t* PcxSkinPalette(const uint8_t* md2Palette, const FoundSkin& found)
{
    if (md2Palette)
        return md2Palette;
    return found.ownPalette.size() == 768 ? found.ownPalette.data() : nullptr;
}

}  // namespace

int ReadMD2Skin(const Md2SkinName& name, const char* modelPath, const uint8_t* palette, ModelObject* model)
{
    FoundSkin found;
    // Without an image the model loads untextured; "Load Skin" can still add one.
    if (!FindSkin(name, modelPath, model->skinWidth, model->skinHeight, found))
        return 1;
    SkinInfo& skin = model->skins[model->numSkins];
    skin = SkinInfo{};
    CopyText(skin.name, sizeof skin.name, TextName(name.text, kMd2SkinNameSize));
    RgbImage image;
    if (!found.indices.empty()) {
        const uint8_t* skinPalette = PcxSkinPalette(palette, found);
        if (!skinPalette) {
            if (FirstMissingPalette(QuakeGame::kQuake2))
                ReportError("ReadMD2Skin: no palette_MD2.lmp for the skin \"%s\" of \"%s\" (not in the working "
                            "directory, %sor the game's pics/colormap.pcx, and the image has none of its own); "
                            "the skin is left out",
                            found.path.c_str(), modelPath, PaletteFoldersText().c_str());
            return 1;
        }
        if (skinPalette != palette)
            ReportNotice("The skin \"%s\" of \"%s\" takes its own palette", found.path.c_str(), modelPath);
        if (!PalettedSkin(found.indices.data(), skinPalette, model->skinWidth, model->skinHeight, 256, image))
            return 0;
    } else {
        image = std::move(found.image);
        CopyText(skin.name, sizeof skin.name, AsText(ExtractFileName(found.path.c_str())));
    }
    model->skinPictures.push_back(std::move(image));
    model->hasSkins = model->texturing = true;
    model->numSkins++;
    return 1;
}
