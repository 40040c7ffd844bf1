#include "render/tags.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "maths/placement.h"
#include "render/draw.h"
#include "geometry/interpolate.h"
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

// Where a part stands in the axes of the model that carries it all.
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

}  // namespace

bool AssemblyBounds(ModelObject* root, float min[3], float max[3])
{
    bool found = false;
    for (ModelObject* model = viewer.modelList.get(); model; model = model->next.get()) {
        float low[3], high[3], matrix[16];
        if (RootModel(model) != root || !ModelShown(model) || !ModelFrameBounds(model, low, high))
            continue;
        ChainMatrix(model, matrix);
        for (int corner = 0; corner < 8; ++corner) {
            const float p[3] = {corner & 1 ? high[0] : low[0], corner & 2 ? high[1] : low[1],
                                corner & 4 ? high[2] : low[2]};
            for (int row = 0; row < 3; ++row) {
                float value = matrix[12 + row] + matrix[row] * p[0] + matrix[4 + row] * p[1] + matrix[8 + row] * p[2];
                min[row] = found ? std::min(min[row], value) : value;
                max[row] = found ? std::max(max[row], value) : value;
            }
            found = true;
        }
    }
    return found;
}

bool ModelShown(const ModelObject* model)
{
    if (model->attachTag != "tag_flash")
        return true;
    for (const ModelObject* part = model->attachedTo; part; part = part->attachedTo)
        if (part->sequence >= 0 && part->sequence < static_cast<int>(part->sequences.size()))
            return part->sequences[part->sequence].name.compare(0, 12, "TORSO_ATTACK") == 0;
    return false;
}

const ModelObject* RootModel(const ModelObject* model)
{
    while (model->attachedTo)
        model = model->attachedTo;
    return model;
}
