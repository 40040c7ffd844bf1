#pragma once

#include <string>

// Command handlers.
void TakeScreenShot(float unused = 0.0f);
void CaptureSequence(float unused = 0.0f);

// Reads the frame just drawn from the back buffer and writes it as a PNG.
// 0 on success, 1 on failure.
int MakeScreenShot(const char* fileName);
// Called by the display before the swap: writes the screenshots asked for.
void TakePendingScreenShot();

void StartCaptureSequence();
void AbortCapture();
// Draws, writes and counts one frame of the running capture.
void CaptureFrame(int frame, int now);

// Console answers of the capture dialogue: false for anything else.
bool ParseFrameRate(const std::string& answer, int* fps);
bool ParseDuration(const std::string& answer, float* seconds);
