#pragma once

#include "model/model.h"

// Places the orbiting camera about the model's frame so that the frame
// fills the given part (0 to 1) of the window, seen from the orbit's
// present direction: the model's view centre becomes the middle of the
// frame's bounds and the orbit distance the nearest that fits. False when
// the model has no vertices.
bool FrameModel(ModelObject* model, float fill);

// Frames the model (and what hangs on it) as FrameModel does at 80 % when,
// seen from the camera, it spans less than a tenth of the window; false
// when it was left as it is.
bool FrameIfSmall(ModelObject* model);

// Command handler: frames the current model at 80 %.
void FrameCurrentModel(float unused = 0.0f);
