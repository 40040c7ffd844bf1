#include "render/tags.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "maths/placement.h"
#include "render/frame_window.h"
#include "geometry/interpolate.h"
#include "rig/player_rig.h"
#include "state/viewer_state.h"

namespace {

void Identity(float matrix[16])
{
    for (int i = 0; i < 16; ++i)
        matrix[i] = i % 5 == 0 ? 1.0f : 0.0f;
}

// Blends one value of the window's four tags.
float Blend(const TagPlace* tags[4], const float* (*field)(const TagPlace*), int index, float t)
{
    float p[4];
    for (int k = 0; k < 4; ++k)
        p[k] = field(tags[k])[index];
    return Interpolate(p, t, viewer.interpolationMethod);
}

const float* Origin(const TagPlace* tag) { return tag->origin; }
const float* Axes(const TagPlace* tag) { return &tag->axis[0][0]; }


}  // namespace

void TagMatrix(const ModelObject* model, const std::string& name, float matrix[16])
{
    Identity(matrix);
    if (!model->drawn)
        return;
    const TagPlace* tags[4];
    const int window[4] = {model->prevPrevFrame, model->prevFrame, model->currentFrame, model->nextFrame};
    for (int k = 0; k < 4; ++k)
        if (!(tags[k] = FindTag(*model->drawn, WindowFrame(model, window[k]), name)))
            return;
    float t = std::min(model->shownFraction, 1.0f), origin[3], axis[3][3];
    for (int i = 0; i < 3; ++i)
        origin[i] = Blend(tags, Origin, i, t);
    for (int i = 0; i < 9; ++i)
        axis[i / 3][i % 3] = Blend(tags, Axes, i, t);
    OrthonormalizeTag(axis);  // blended, long or short axes made unit and square
    // The file's x, y and z are OpenGL's z, x and y: the file axis j is
    // OpenGL's (j + 2) % 3.
    for (int column = 0; column < 3; ++column)
        for (int k = 0; k < 3; ++k)
            matrix[4 * column + (k + 2) % 3] = axis[(column + 1) % 3][k];
    for (int k = 0; k < 3; ++k)
        matrix[12 + (k + 2) % 3] = origin[k];
}

void ApplyModelPlacement(const ModelObject* model)
{
    if (model->attachedTo) {
        ApplyModelPlacement(model->attachedTo);
        float tag[16];
        TagMatrix(model->attachedTo, model->attachTag, tag);
        glMultMatrixf(tag);
        return;
    }
    const Placement& p = model->placement;
    glTranslatef(p.position[0], p.position[1], p.position[2]);
    const float m[16] = {p.axisX[0], p.axisX[1], p.axisX[2], 0, p.axisY[0], p.axisY[1], p.axisY[2], 0,
                         p.axisZ[0], p.axisZ[1], p.axisZ[2], 0, 0,          0,          0,          1};
    glMultMatrixf(m);
}

namespace {

// out = a * b, column-major 4 x 4 matrices.
void Multiply(const float a[16], const float b[16], float out[16])
{
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a[4 * k + row] * b[4 * column + k];
            out[4 * column + row] = sum;
        }
}

}  // namespace

void ChainMatrix(const ModelObject* model, float matrix[16])
{
    Identity(matrix);
    for (const ModelObject* part = model; part->attachedTo; part = part->attachedTo) {
        float tag[16], product[16];
        TagMatrix(part->attachedTo, part->attachTag, tag);
        Multiply(tag, matrix, product);
        std::copy(product, product + 16, matrix);
    }
}

bool ModelShown(const ModelObject* model)
{
    for (const ModelObject* part = model->attachedTo; part; part = part->attachedTo)
        if (part->sequence >= 0 && part->sequence < static_cast<int>(part->sequences.size()))
            return RigPartShown(model->attachTag, part->sequences[part->sequence].name);
    return RigPartShown(model->attachTag, "");
}

const ModelObject* RootModel(const ModelObject* model)
{
    while (model->attachedTo)
        model = model->attachedTo;
    return model;
}
