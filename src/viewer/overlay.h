#pragma once

#include <string>

#include "geometry/drawn_model.h"
#include "model/model.h"

// printf-style bitmap text at (x, y), the baseline at y, y counted down
// from the window's top edge. At most 255 characters are drawn.
void DrawBitmapText(float x, float y, void* font, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// The status line of a frame that came from a frame group: the group, the
// picture and the group's intervals, the picture's own in brackets.
std::string FrameGroupLine(const FrameGroup& group, int picture);

// The animations a player's legs and torso play ("LEGS_RUN   TORSO_STAND"),
// or empty for a model that is no player's.
std::string PlayerAnimationsLine(const ModelObject* model);

void DrawHelp();
void DrawStatusLines();
