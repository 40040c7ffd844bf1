#pragma once

// printf-style bitmap text at (x, y), the baseline at y, y counted down
// from the window's top edge. At most 255 characters are drawn.
void DrawBitmapText(float x, float y, void* font, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
void DrawHelp();
void DrawStatusLines();
