#pragma once

#include <cstdint>

#include "model/model.h"

enum AnimMethod : uint8_t { kAnimNone = 0, kAnimAllFrames = 1, kAnimSameSequence = 2, kAnimCustom = 3 };

// The clock rule for one model at time now (ms): step when the period has
// passed, else redraw at the elapsed fraction when interpolating.
void AnimateModel(ModelObject* model, int32_t now);
void AdvanceModelFrame(ModelObject* model, uint32_t elapsedMs);
// The time a frame is shown (ms): the clock's, or a player animation's own
// frames a second at the clock's speed.
float FramePeriod(const ModelObject* model);
// The number in a frame name (at most 16 characters), mod 100; 0 without digits.
int FrameNumber(const char* name);
int RandomInt(int low, int high);

// Command handlers.
void StartStopAnimation(float unused = 0.0f);
void ChangeAnimationSpeed(float amount);
void ResetAnimationSpeed(float frameTime);
void ToggleAnimationMethod(float unused = 0.0f);
void AdvanceOneFrame(float unused = 0.0f);
void ReverseOneFrame(float unused = 0.0f);
void ChangeSequence(float step);
void AddCustomFrame(float frame);
void MakeRandomSequence(float count);
void DeleteCustomFrame(float unused = 0.0f);
void DeleteAllCustomFrames(float unused = 0.0f);
