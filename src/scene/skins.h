#pragma once

#include <string>

#include "model/model.h"

// Adds a skin image (asking for the file when path is null) to the current
// model and makes it the current skin.
void AddSkin(const char* path);

// Command handlers.
void LoadSkin(float unused = 0.0f);
void RemoveSkin(float unused = 0.0f);
void NextSkin(float unused = 0.0f);

// The skin (a player's skin set, for all its parts) of that name; false when
// the model has none such.
bool WearSkinNamed(ModelObject* model, const std::string& name);
