#pragma once

#include "state/light_source.h"

void InitLighting();
void SetAmbientLight();
void SetLightColour(LightSource* light, float r, float g, float b);
void ApplyLight(const LightSource* light);
void PlaceLight(const LightSource* light);
void DrawLightMarker(const LightSource* light);
void LightMenuChoice(LightSource* light, int choice);

// Command handlers.
void ResetLights(float unused = 0.0f);
void ToggleLightSources(float unused = 0.0f);
void SetAmbientLevel(float level);
void ToggleLighting(float unused = 0.0f);
void ToggleShadeModel(float unused = 0.0f);
void ChangeAmbientLevel(float amount);
