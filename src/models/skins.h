#pragma once

#include <cstdint>

#include "models/model.h"

// Start-up: filter, environment mode, unpack alignment and environment colour.
void InitTextureEnvironment();

// Makes a mipmapped texture from palette indices; 0 on failure. Indices at
// or past paletteEntries come out black.
uint32_t CreateTextureFromSkin(const uint8_t* indices, const uint8_t* palette, int width,
                               int height, int paletteEntries = 256);
// The same from R G B pixels, row after row.
uint32_t CreateTextureFromRgb(const uint8_t* rgb, int width, int height);

// A .pcx skin of exactly the skin size (its top-left block), with its own palette.
bool LoadPcxSkin(const char* path, SkinInfo* skin, int skinWidth, int skinHeight);
// A skin file of any kind "Load Skin" accepts: PCX as above, true colour whole.
bool LoadSkinFile(const char* path, SkinInfo* skin, int skinWidth, int skinHeight);

// The picture of the current skin's group due at seconds on the animation
// clock, picked as the game picks it; the current skin when it is in no group.
int SkinGroupPicture(const ModelObject* model, double seconds);
// The skin drawn: the current one, or while the clock runs its group's picture.
int DrawnSkin(const ModelObject* model);

void AddSkin(const char* path);
void FreeSkinInfos(ModelObject* model);
void ClearSkinInfos(ModelObject* model);

// Command handlers.
void LoadSkin(float unused = 0.0f);
void RemoveSkin(float unused = 0.0f);
void NextSkin(float unused = 0.0f);
void ToggleTextureFilter(float unused = 0.0f);
void SetTextureEnvMode(float mode);
