#pragma once

// The program: start-up in its fixed order, then the GLUT main loop.
int RunViewer(int argc, char** argv);

void SeedRandom();
void InitWindow();
void InitGL();
void Reshape(int width, int height);
