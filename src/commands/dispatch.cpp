#include "commands/dispatch.h"

#include <GL/freeglut.h>

#include <string>

#include "commands/command_table.h"
#include "commands/menus.h"
#include "scene/browse.h"
#include "state/viewer_state.h"
#include "view/control.h"

void RunCommand(int row)
{
    commandTable[row].handler(commandTable[row].argument);
    UpdateMaterialMenu();
    UpdateWindowTitle();
}

void UpdateWindowTitle()
{
    static std::string shown = "Tarnivel";
    std::string title = WindowTitle(viewer.currentModel);
    if (title == shown || glutGetWindow() == 0)
        return;
    glutSetWindowTitle(title.c_str());
    shown = title;
}

void Keyboard(unsigned char key, int, int)
{
    int row = FindCommandForKey(key);
    if (row >= 0)
        RunCommand(row);
}

void SpecialKey(int key, int, int)
{
    bool arrow = key == GLUT_KEY_LEFT || key == GLUT_KEY_RIGHT || key == GLUT_KEY_UP || key == GLUT_KEY_DOWN;
    if (arrow) {
        ArrowKey(key, (glutGetModifiers() & GLUT_ACTIVE_SHIFT) != 0);
        return;
    }
    int row = FindCommandForSpecialKey(key);
    if (row >= 0)
        RunCommand(row);
}

void ArrowKey(int key, bool shift)
{
    float dx = 0, dy = 0;
    switch (key) {
    case GLUT_KEY_LEFT: dx = -1; break;
    case GLUT_KEY_UP: dy = 1; break;
    case GLUT_KEY_RIGHT: dx = 1; break;
    case GLUT_KEY_DOWN: dy = -1; break;
    default: return;
    }
    if (shift) {
        dx *= 10;
        dy *= 10;
    }
    MoveControlTarget(-dx, dy, kMoveRotate);
}

void MenuSelect(int value)
{
    if (value >= 0 && value < kNumCommands)
        RunCommand(value);
}
