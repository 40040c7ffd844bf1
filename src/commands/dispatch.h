#pragma once

// Runs a command-table row, then marks the menus and the window title for
// what it changed.
void RunCommand(int row);
// Names the current model in the window title, when another is named.
void UpdateWindowTitle();

// GLUT callbacks.
void Keyboard(unsigned char key, int x, int y);
void SpecialKey(int key, int x, int y);
void MenuSelect(int value);
// An arrow key turns the control target, ten times as far with Shift.
void ArrowKey(int key, bool shift);

// Command handlers of the stereo, overlay and quit commands.