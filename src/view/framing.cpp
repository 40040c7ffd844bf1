#include "view/framing.h"

#include <algorithm>
#include <cmath>

#include "render/draw.h"
#include "render/bounds.h"
#include "render/tags.h"
#include "state/viewer_state.h"
#include "view/control.h"
#include "view/projection.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// A model that spans less than this part of the window is a speck.
constexpr double kSmallSpan = 0.1;

// A point of the model's own axes in the scene.
void ToScene(const Placement& p, const float local[3], double out[3])
{
    for (int i = 0; i < 3; ++i)
        out[i] = p.position[i] + double(p.axisX[i]) * local[0] + double(p.axisY[i]) * local[1] +
                 double(p.axisZ[i]) * local[2];
}

double Dot(const double a[3], const float b[3])
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

double Dot(const double a[3], const double b[3])
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// The corners of the model's frame bounds, relative to the orbit centre.
void Corners(const ModelObject* model, const float min[3], const float max[3], const double centre[3],
             double corners[8][3])
{
    for (int corner = 0; corner < 8; ++corner) {
        float local[3] = {corner & 1 ? max[0] : min[0], corner & 2 ? max[1] : min[1], corner & 4 ? max[2] : min[2]};
        ToScene(model->placement, local, corners[corner]);
        for (int i = 0; i < 3; ++i)
            corners[corner][i] -= centre[i];
    }
}

// The larger part of the window's width or height the corners span, seen
// from distance along the camera's axisZ.
double Span(const double corners[8][3], double distance, double tanX, double tanY)
{
    const Placement& camera = viewer.camera;
    double left = 1e30, right = -1e30, bottom = 1e30, top = -1e30;
    for (int c = 0; c < 8; ++c) {
        double depth = distance + Dot(corners[c], camera.axisZ);
        double x = Dot(corners[c], camera.axisX) / (depth * tanX), y = Dot(corners[c], camera.axisY) / (depth * tanY);
        left = std::min(left, x), right = std::max(right, x), bottom = std::min(bottom, y), top = std::max(top, y);
    }
    return std::max(right - left, top - bottom) / 2;  // the window spans 2 in each direction
}

// The orbit distance at which the corners span fill of the window: the span
// only shrinks as the camera backs away, so halving the interval finds it.
double FittingDistance(const double corners[8][3], float fill, double* reach)
{
    double tanY = std::tan(viewer.fieldOfView * kPi / 360.0);
    double tanX = tanY * double(viewer.windowWidth) / std::max(1, viewer.windowHeight);
    double nearest = 0.0;
    *reach = 0.0;
    for (int c = 0; c < 8; ++c) {
        nearest = std::max(nearest, -Dot(corners[c], viewer.camera.axisZ));
        *reach = std::max(*reach, std::sqrt(Dot(corners[c], corners[c])));
    }
    double low = nearest + 1.0, high = low + 1.0;
    while (Span(corners, high, tanX, tanY) > fill && high < 1e9)
        high *= 2;
    for (int i = 0; i < 60; ++i) {
        double middle = (low + high) / 2;
        (Span(corners, middle, tanX, tanY) > fill ? low : high) = middle;
    }
    return high;
}

}  // namespace

bool FrameModel(ModelObject* part, float fill)
{
    // A player is framed whole, from the part that carries the others.
    ModelObject* model = part ? const_cast<ModelObject*>(RootModel(part)) : nullptr;
    float min[3], max[3];
    if (!model || !AssemblyBounds(model, min, max))
        return false;
    for (int i = 0; i < 3; ++i)
        model->viewCentre[i] = (min[i] + max[i]) / 2;
    viewer.controlMode = kModeOrbit;
    UpdateOrbitCamera();  // the camera's axes for the orbit's direction
    double centre[3], corners[8][3], reach = 0.0;
    ToScene(model->placement, model->viewCentre, centre);
    Corners(model, min, max, centre, corners);
    double distance = FittingDistance(corners, fill, &reach);
    // The orbit keeps whole distances (the nearest that still fits); the
    // camera takes the exact one, which matters for a small model.
    viewer.orbitDistance = static_cast<int32_t>(std::ceil(distance));
    // The far plane stays at 500 unless the framed model reaches past it.
    viewer.farDistance = static_cast<float>(std::max(500.0, 2.0 * (viewer.orbitDistance + reach)));
    SetProjection();
    UpdateOrbitCamera();
    for (int i = 0; i < 3; ++i)
        viewer.camera.position[i] = static_cast<float>(centre[i] - distance * viewer.camera.axisZ[i]);
    return true;
}

bool FrameIfSmall(ModelObject* part)
{
    ModelObject* model = part ? const_cast<ModelObject*>(RootModel(part)) : nullptr;
    float min[3], max[3];
    if (!model || !AssemblyBounds(model, min, max))
        return false;
    double corners[8][3];
    double camera[3] = {viewer.camera.position[0], viewer.camera.position[1], viewer.camera.position[2]};
    Corners(model, min, max, camera, corners);
    for (const double* corner : corners)
        if (Dot(corner, viewer.camera.axisZ) <= 0)
            return false;  // beside or behind the camera: not a small thing in the distance
    double tanY = std::tan(viewer.fieldOfView * kPi / 360.0);
    double tanX = tanY * double(viewer.windowWidth) / std::max(1, viewer.windowHeight);
    if (Span(corners, 0.0, tanX, tanY) >= kSmallSpan)
        return false;
    return FrameModel(model, 0.8f);
}

void FrameCurrentModel(float)
{
    FrameModel(viewer.currentModel, 0.8f);
}
