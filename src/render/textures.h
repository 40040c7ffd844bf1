#pragma once

#include <cstdint>

#include "formats/truecolour.h"
#include "model/model.h"

// Start-up: filter, environment mode, unpack alignment and environment colour.
void InitTextureEnvironment();

// Makes a mipmapped texture from R G B pixels, row after row, with the
// viewer's filter (and size limit, for thumbnails); 0 on failure.
uint32_t CreateTextureFromRgb(const uint8_t* rgb, int width, int height);
// The same from a picture, with its alpha when it has one.
uint32_t CreateTextureFromImage(const RgbImage& image);
// The same from palette indices; indices at or past paletteEntries come out black.
uint32_t CreateTextureFromSkin(const uint8_t* indices, const uint8_t* palette, int width, int height,
                               int paletteEntries = 256);
// Makes the textures of a loaded model's skin pictures and lets the pictures
// go; false when one could not be made.
bool MakeSkinTextures(ModelObject* model);

// Deletes the model's skin textures and lets its skin slots go.
void FreeSkinInfos(ModelObject* model);
// Deletes the model's skin textures, keeping its slots.
void ClearSkinInfos(ModelObject* model);

// Command handlers.
void ToggleTextureFilter(float unused = 0.0f);
void SetTextureEnvMode(float mode);
