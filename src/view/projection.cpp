#include "view/projection.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "state/viewer_state.h"

void SetProjection()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A window of zero height is taken as one pixel high.
    int height = viewer.windowHeight > 0 ? viewer.windowHeight : 1;
    gluPerspective(static_cast<double>(viewer.fieldOfView),
                   static_cast<double>(viewer.windowWidth) / static_cast<double>(height), 0.1,
                   static_cast<double>(viewer.farDistance));
    glMatrixMode(GL_MODELVIEW);
}

void PlaceCamera(float eyeOffset)
{
    const Placement& camera = viewer.camera;
    float eye[3], centre[3];
    VectorAddScaled(camera.position, eyeOffset, camera.axisX, eye);
    VectorAddScaled(camera.position, viewer.focalDistance, camera.axisZ, centre);
    gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], camera.axisY[0],
              camera.axisY[1], camera.axisY[2]);
}

void ChangeFieldOfView(float amount)
{
    int sum = static_cast<int>(amount) + viewer.fieldOfView;
    int fov = sum % 180;
    if (fov <= 0)
        fov += 180;
    viewer.fieldOfView = fov;
    SetProjection();
}
