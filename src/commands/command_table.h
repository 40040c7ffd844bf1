#pragma once

#include <cstdint>

using CommandHandler = void (*)(float argument);

struct CommandEntry {
    char name[64];     // menu label; an empty name ends the table
    int32_t key;       // character that runs the command; 0 = none
    int32_t specialKey;  // GLUT special key named in the label; 0 = none
    CommandHandler handler;
    float argument;
};

constexpr int kNumCommands = 113;
// 110 rows and the end row. A row's index is its identity: menus carry it.
extern const CommandEntry commandTable[kNumCommands + 1];

// The first row bound to the key, or -1.
int FindCommandForKey(int key);
// The first row a GLUT special key runs (Page Up, Home...), or -1; the
// arrow keys turn the control target instead.
int FindCommandForSpecialKey(int key);
