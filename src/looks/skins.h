#pragma once

#include <cstdint>

#include "formats/truecolour.h"
#include "looks/model_looks.h"

// Palette indices as R G B pixels; indices at or past paletteEntries come
// out black. False after a report when there is no room for the picture.
bool PalettedSkin(const uint8_t* indices, const uint8_t* palette, int width, int height, int paletteEntries,
                  RgbImage& image);

// A .pcx skin of exactly the skin size (its top-left block), with its own palette.
bool LoadPcxSkin(const char* path, SkinInfo* skin, RgbImage& image, int skinWidth, int skinHeight);
// A skin file of any kind "Load Skin" accepts: PCX as above, true colour whole.
bool LoadSkinFile(const char* path, SkinInfo* skin, RgbImage& image, int skinWidth, int skinHeight);

// The picture of the current skin's group due at seconds on the animation
// clock, picked as the game picks it; the current skin when it is in no group.
int SkinGroupPicture(const ModelLooks* model, double seconds);

// While one lives, skins read from PNG files keep the file and its size and
// decode no pixels: for a writer that embeds the file as it is.
class SkinFilesOnly {
public:
    SkinFilesOnly();
    ~SkinFilesOnly();
    SkinFilesOnly(const SkinFilesOnly&) = delete;
    SkinFilesOnly& operator=(const SkinFilesOnly&) = delete;

private:
    bool saved_;
};
bool SkinPixelsWanted();
