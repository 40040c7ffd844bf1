#pragma once

#include <GL/gl.h>

#include <functional>
#include <vector>

// What a display list sends, read back with glRenderMode(GL_FEEDBACK) under
// a projection that maps object coordinates one to one.
struct FeedbackVertex {
    float position[3];
    float colour[4];
    float texCoord[4];
};
using FeedbackPolygon = std::vector<FeedbackVertex>;

std::vector<FeedbackPolygon> CaptureList(GLuint list);
// The same for drawing calls made directly. Mesa's feedback drops all but
// the first of several strips or fans compiled into one list (drawing them
// is right), so the GL-command path is read this way.
std::vector<FeedbackPolygon> CaptureDrawing(const std::function<void()>& draw);
