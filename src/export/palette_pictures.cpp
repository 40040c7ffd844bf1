#include "export/palette_pictures.h"

#include <strings.h>

#include <algorithm>
#include <unordered_map>

#include "formats/palette.h"
#include "platform/file_bytes.h"

namespace {

uint32_t Colour(const uint8_t* rgb)
{
    return uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
}

int Nearest(const uint8_t* rgb, const uint8_t palette[768], int first, int end)
{
    int best = first;
    long closest = -1;
    for (int i = first; i < end; ++i) {
        long d = 0;
        for (int c = 0; c < 3; ++c) {
            long off = long(rgb[c]) - palette[3 * i + c];
            d += off * off;
        }
        if (closest < 0 || d < closest)
            closest = d, best = i;
    }
    return best;
}

bool ReadGivenPalette(const std::string& path, uint8_t palette[768], std::string& error)
{
    std::vector<uint8_t> bytes;
    bool pcx = path.size() > 4 && strcasecmp(path.c_str() + path.size() - 4, ".pcx") == 0;
    if (ReadFileBytes(path.c_str(), bytes) != FileReadResult::kOk ||
        (pcx ? !ReadPcxPalette(bytes.data(), bytes.size(), palette)
             : ReadPaletteBytes(bytes.data(), bytes.size(), palette) != PaletteResult::kOk)) {
        error = "--palette " + path + ": not a palette (768 bytes of colours, or a PCX with its 256 colours)";
        return false;
    }
    return true;
}

}  // namespace

bool ExportPalette(const ModelObject& model, const ExportRequest& request, QuakeGame game, uint8_t palette[768],
                   std::string& error)
{
    if (!request.palette.empty())
        return ReadGivenPalette(request.palette, palette, error);
    const uint8_t* found = ModelPalette(game, request.output);
    if (!found)
        found = ModelPalette(game, model.path);
    if (!found) {
        error = std::string("no ") + (game == QuakeGame::kQuake ? "Quake" : "Quake 2") + " palette (" +
                GamePaletteFile(game) + " of the game, or in " + PaletteFoldersText() + "or --palette FILE)";
        return false;
    }
    std::copy_n(found, 768, palette);
    return true;
}

PaletteRules QuakePaletteRules()
{
    return {224, 224, -1};
}

PaletteRules Quake2PaletteRules()
{
    return {255, 256, 255};
}

std::vector<uint8_t> ToPalette(const RgbImage& picture, const std::vector<uint8_t>& glows,
                               const uint8_t palette[768], const PaletteRules& rules, size_t& glowing)
{
    size_t pixels = size_t(picture.width) * picture.height;
    std::unordered_map<uint32_t, uint8_t> exact;
    for (int i = 255; i >= 0; --i)
        exact[Colour(&palette[3 * i])] = static_cast<uint8_t>(i);
    std::vector<uint8_t> out(pixels);
    bool drawnInIt = true;
    for (size_t p = 0; p < pixels && drawnInIt; ++p) {
        auto found = exact.find(Colour(&picture.rgb[3 * p]));
        drawnInIt = found != exact.end();
        if (drawnInIt)
            out[p] = found->second;
    }
    glowing = 0;
    if (drawnInIt) {
        for (uint8_t index : out)
            glowing += index >= rules.glowFirst && index != rules.transparent;
        return out;
    }
    std::unordered_map<uint32_t, uint8_t> lit, glow;  // colours met before
    bool glows255 = rules.glowFirst < 256;
    for (size_t p = 0; p < pixels; ++p) {
        if (rules.transparent >= 0 && !picture.alpha.empty() && picture.alpha[p] < 128) {
            out[p] = static_cast<uint8_t>(rules.transparent);
            continue;
        }
        const uint8_t* rgb = &picture.rgb[3 * p];
        bool glowsHere = glows255 && p < glows.size() && glows[p];
        auto& known = glowsHere ? glow : lit;
        auto found = known.find(Colour(rgb));
        if (found == known.end())
            found = known.emplace(Colour(rgb), glowsHere ? Nearest(rgb, palette, rules.glowFirst, 255)
                                                           : Nearest(rgb, palette, 0, rules.plain)).first;
        out[p] = found->second;
        glowing += glowsHere;
    }
    return out;
}
