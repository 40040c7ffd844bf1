#pragma once

#include "models/model.h"

// Start-up values both readers give a model once its file is read.
void InitCommonModelFields(ModelObject* model);

// Loads a model (asking for the file when path is null), links it at the
// head of the list and makes it current. Null after a report or a cancel.
ModelObject* AddModel(const char* path);

// Command handlers.
void LoadModel(float unused = 0.0f);
void RemoveModel(float unused = 0.0f);
void NextModel(float unused = 0.0f);
