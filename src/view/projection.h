#pragma once

// Loads the perspective projection for the field of view and window shape.
void SetProjection();
// Multiplies the model-view matrix by the camera's look-at transform, the
// eye moved eyeOffset along the camera's axisX.
void PlaceCamera(float eyeOffset);

// Command handler.
void ChangeFieldOfView(float amount);
