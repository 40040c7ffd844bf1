#pragma once

#include "model/model.h"

void StartSkinAutoLoad(ModelObject* model, const char* directory, int count);
void ContinueSkinAutoLoad(ModelObject* model, int count);
void AutoLoadSkins(ModelObject* model, const char* directory, int count);

// Command handlers.
void LoadQ2Player(float unused = 0.0f);
void StartAutoLoadSkins(float count);
void AutoLoadMoreSkins(float count);
