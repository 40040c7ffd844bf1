#include "view/mouse.h"

#include <GL/freeglut.h>

#include "state/viewer_state.h"
#include "view/control.h"

void MouseButton(int button, int state, int x, int y)
{
    if (button != GLUT_LEFT_BUTTON && button != GLUT_MIDDLE_BUTTON)
        return;
    if (state == GLUT_UP) {
        viewer.mouseMoveType = kMoveNone;
        return;
    }
    if (state != GLUT_DOWN)
        return;
    viewer.lastMouseX = x;
    viewer.lastMouseY = y;
    viewer.mouseMoveType = button == GLUT_LEFT_BUTTON ? kMoveRotate : kMoveTranslate;
}

void MouseMotion(int x, int y)
{
    MoveControlTarget(static_cast<float>(viewer.lastMouseX - x),
                      static_cast<float>(viewer.lastMouseY - y), viewer.mouseMoveType);
    viewer.lastMouseX = x;
    viewer.lastMouseY = y;
}
