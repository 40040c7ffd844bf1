#pragma once

// GLUT callbacks: left drags turn the control target, middle drags shift it.
void MouseButton(int button, int state, int x, int y);
void MouseMotion(int x, int y);
