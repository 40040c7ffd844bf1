#pragma once

#include <png.h>

#include <string>

// Command handlers.
void TakeScreenShot(float unused = 0.0f);
void CaptureSequence(float unused = 0.0f);

// Writes rows (height pointers to 3 * width bytes, top row first) as an
// 8-bit RGB PNG, a dot a row while the overlay shows. 0 on success, 1 on failure.
int WritePng(png_bytep* rows, int width, int height, const char* fileName);
// Reads the frame just drawn from the back buffer and writes it as a PNG.
// 0 on success, 1 on failure.
int MakeScreenShot(const char* fileName);
// Called by the display before the swap: writes the screenshots asked for.
void TakePendingScreenShot();

void StartCaptureSequence();
void AbortCapture();
// One frame of the running capture: named before the display draws it
// (false, and the capture stopped, when the name does not fit), then
// checked and counted once the display has taken it.
bool BeginCaptureFrame(int frame);
void FinishCaptureFrame(int now);

// Console answers of the capture dialogue: false for anything else.
bool ParseFrameRate(const std::string& answer, int* fps);
bool ParseDuration(const std::string& answer, float* seconds);
