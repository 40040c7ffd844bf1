#pragma once

// The drawing's command handlers: each changes how every model is drawn
// (or the current one) and redraws what it changes.
void ToggleTexturing(float unused = 0.0f);
void ToggleRenderMode(float unused = 0.0f);
void ToggleDepthBuffer(float unused = 0.0f);
void ToggleGlCommands(float unused = 0.0f);
void ToggleInterpolationMethod(float unused = 0.0f);
void ToggleRemeshing(float unused = 0.0f);
void ChangeRemeshThreshold(float amount);
