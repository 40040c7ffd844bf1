#pragma once

// What a model shows at the moment, for the drawing and the clock alike:
// the frames of its window and the skin drawn.
#include "model/model.h"

// The window frame the drawing reads for a window field: an index outside
// the model's frames reads frame 0.
int WindowFrame(const ModelObject* model, int frame);
// The animation clock runs while animating or capturing.
bool ClockRuns();
// The skin drawn: the current one, or while the clock runs its group's picture.
int DrawnSkin(const ModelObject* model);
