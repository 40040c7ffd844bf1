#include "support/feedback.h"

namespace {

constexpr float kHalfSize = 1000.0f;

FeedbackVertex ReadVertex(const float* v)
{
    FeedbackVertex out;
    out.position[0] = v[0] - kHalfSize;
    out.position[1] = v[1] - kHalfSize;
    out.position[2] = -(2.0f * v[2] - 1.0f) * kHalfSize;
    for (int i = 0; i < 4; ++i) {
        out.colour[i] = v[3 + i];
        out.texCoord[i] = v[7 + i];
    }
    return out;
}

}  // namespace

std::vector<FeedbackPolygon> CaptureList(GLuint list)
{
    return CaptureDrawing([list] { glCallList(list); });
}

std::vector<FeedbackPolygon> CaptureDrawing(const std::function<void()>& draw)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLboolean culling = glIsEnabled(GL_CULL_FACE);
    glDisable(GL_CULL_FACE);
    glViewport(0, 0, 2 * static_cast<int>(kHalfSize), 2 * static_cast<int>(kHalfSize));
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-kHalfSize, kHalfSize, -kHalfSize, kHalfSize, -kHalfSize, kHalfSize);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    static std::vector<GLfloat> buffer(1 << 22);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint used = glRenderMode(GL_RENDER);

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    if (culling)
        glEnable(GL_CULL_FACE);

    const int stride = 11;
    std::vector<FeedbackPolygon> polygons;
    for (GLint i = 0; i < used;) {
        GLint token = static_cast<GLint>(buffer[i++]);
        int count = 0;
        if (token == GL_POLYGON_TOKEN)
            count = static_cast<int>(buffer[i++]);
        else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN)
            count = 2;
        else if (token == GL_POINT_TOKEN || token == GL_BITMAP_TOKEN || token == GL_DRAW_PIXEL_TOKEN ||
                 token == GL_COPY_PIXEL_TOKEN)
            count = 1;
        else if (token == GL_PASS_THROUGH_TOKEN) {
            ++i;
            continue;
        }
        FeedbackPolygon polygon;
        for (int v = 0; v < count; ++v, i += stride)
            polygon.push_back(ReadVertex(&buffer[i]));
        if (token == GL_POLYGON_TOKEN)
            polygons.push_back(polygon);
    }
    return polygons;
}
