#pragma once

// GLUT callbacks: one frame, and the clock between frames.
void Display();
// The scene part of a frame: cleared, seen once or (in stereo) twice, every
// model drawn. Also what an off-screen picture shows.
void DrawSceneFrame();
void Idle();
// Counts a frame that draws the status lines; updates the rate each second.
void UpdateFrameRate(int now);
