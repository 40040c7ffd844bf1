#pragma once

#include "models/model.h"

// Compiles the model's display list for its frame window at fraction.
void UpdateModelDisplayList(ModelObject* model, float fraction);
void UpdateAllDisplayLists();
void DrawMD2Frame(ModelObject* model, float fraction);
void DrawMDLFrame(ModelObject* model, float fraction);

// The window frame the drawing reads for a window field: an index outside
// the model's frames reads frame 0.
int WindowFrame(const ModelObject* model, int frame);

// Command handlers.
void ToggleTexturing(float unused = 0.0f);
void ToggleRenderMode(float unused = 0.0f);
void ToggleDepthBuffer(float unused = 0.0f);
void ToggleGlCommands(float unused = 0.0f);
