#pragma once

// GLUT callbacks: one frame, and the clock between frames.
void Display();
void Idle();
// Counts a frame that draws the status lines; updates the rate each second.
void UpdateFrameRate(int now);
