#pragma once

#include <cstdint>

#include "maths/placement.h"

void MoveControlTarget(float dx, float dy, uint8_t moveType);
void UpdateOrbitCamera();
void RotatePlacement(Placement* target, const Placement* frame, float yawDegrees,
                     float pitchDegrees);
bool StraightenPlacement(Placement* p);

// Command handlers.
void ToggleControlTarget(float unused = 0.0f);
void ToggleControlMode(float unused = 0.0f);
void StraightenControlTarget(float unused = 0.0f);
void ToggleAutoStraighten(float unused = 0.0f);
void MoveTargetForward(float amount);
void MoveTargetRight(float amount);
void MoveTargetDown(float amount);
// The "Rotate Camera/Model" rows: they turn as the arrow keys do.
void RotateTargetRight(float amount);
void RotateTargetDown(float amount);
