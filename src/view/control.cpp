#include "view/control.h"

#include <cmath>

#include "platform/error_log.h"
#include "state/viewer_state.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegreesPerRadian = 57.29577951308232;

ModelObject* TargetModel()
{
    return viewer.controlTarget == kTargetCamera ? nullptr : viewer.currentModel;
}

// The current model's position, moved to its view centre when one was set.
void OrbitCentre(float centre[3])
{
    const ModelObject* model = viewer.currentModel;
    for (int i = 0; i < 3; ++i)
        centre[i] = model ? model->placement.position[i] : 0.0f;
    if (!model)
        return;
    const Placement& p = model->placement;
    for (int i = 0; i < 3; ++i)
        centre[i] += p.axisX[i] * model->viewCentre[0] + p.axisY[i] * model->viewCentre[1] +
                     p.axisZ[i] * model->viewCentre[2];
}

// Builds M = a*a' + b*b' + c*c' where (a, b, c) are the turned frame axes
// and (ao, bo, co) the frame axes as they were.
void BuildTurn(const float a[3], const float ao[3], const float b[3], const float bo[3],
               const float c[3], const float co[3], float m[9])
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m[3 * i + j] = a[i] * ao[j] + b[i] * bo[j] + c[i] * co[j];
}

// Turns the target's axes by m and rebuilds them orthonormal.
void ApplyTurn(Placement* target, const float m[9])
{
    float x[3], y[3], z[3];
    TransformVector(m, target->axisZ, z);
    VectorNormalize(z);
    TransformVector(m, target->axisY, y);
    VectorNormalize(y);
    VectorCross(y, z, x);
    VectorNormalize(x);
    VectorCross(x, y, z);
    VectorNormalize(z);
    for (int i = 0; i < 3; ++i) {
        target->axisX[i] = x[i];
        target->axisY[i] = y[i];
        target->axisZ[i] = z[i];
    }
}

// One step of a turn about the frame's axisX (pitch) or axisY (yaw), with
// the frame's axes as they are now: the two axes of the turn's plane become
// cos * a + sin * b and -sin * a + cos * b.
void TurnStep(Placement* target, const Placement* frame, float degrees, bool pitch)
{
    double angle = degrees * kPi / 180.0;
    float c = static_cast<float>(std::cos(angle)), s = static_cast<float>(std::sin(angle));
    float x[3], y[3], z[3];
    for (int i = 0; i < 3; ++i)
        x[i] = frame->axisX[i], y[i] = frame->axisY[i], z[i] = frame->axisZ[i];
    const float* a = pitch ? y : x;
    float a2[3], z2[3], m[9];
    for (int i = 0; i < 3; ++i) {
        a2[i] = c * a[i] + s * z[i];
        z2[i] = -s * a[i] + c * z[i];
    }
    if (pitch)
        BuildTurn(x, x, a2, y, z2, z, m);
    else
        BuildTurn(a2, x, y, y, z2, z, m);
    ApplyTurn(target, m);
}

// A target looking straight up or down has no roll to remove; tip its view
// a little toward its own up (or side) so that straightening can work.
void TipVerticalView(Placement* p)
{
    const float* toward = (p->axisY[0] != 0.0f || p->axisY[2] != 0.0f) ? p->axisY : p->axisX;
    float z[3];
    VectorAddScaled(p->axisZ, 0.01f, toward, z);
    if (z[0] == 0.0f && z[2] == 0.0f)
        z[2] = 0.01f;
    VectorNormalize(z);
    for (int i = 0; i < 3; ++i)
        p->axisZ[i] = z[i];
}

void Straighten(Placement* target)
{
    if (StraightenPlacement(target))
        return;
    TipVerticalView(target);
    StraightenPlacement(target);
}

void Rotate(float dx, float dy)
{
    Placement* candidate = nullptr;
    if (viewer.controlTarget == kTargetCamera && viewer.controlMode == kModeOrbit) {
        viewer.orbitYaw -= dx;
        viewer.orbitPitch += dy;
        UpdateOrbitCamera();
        return;
    }
    if (viewer.controlTarget == kTargetCamera) {
        RotatePlacement(&viewer.camera, &viewer.camera, -dx, -dy);
        candidate = &viewer.camera;
    } else if (ModelObject* model = TargetModel()) {
        RotatePlacement(&model->placement, &viewer.camera, dx, dy);
        candidate = &model->placement;
    }
    if (candidate && viewer.autoStraighten)
        Straighten(candidate);
}

void Translate(float dx, float dy)
{
    float sx = viewer.fieldOfView * dx / 130.0f;
    float sy = viewer.fieldOfView * dy / 130.0f;
    if (viewer.controlMode == kModeOrbit)
        return;
    float* position = nullptr;
    if (viewer.controlTarget == kTargetCamera)
        position = viewer.camera.position;
    else if (ModelObject* model = TargetModel())
        position = model->placement.position;
    if (!position)
        return;
    VectorAddScaled(position, sx, viewer.camera.axisX, position);
    VectorAddScaled(position, sy, viewer.camera.axisY, position);
}

}  // namespace

void MoveControlTarget(float dx, float dy, uint8_t moveType)
{
    switch (moveType) {
    case kMoveNone:
        return;
    case kMoveRotate:
        Rotate(dx, dy);
        return;
    case kMoveTranslate:
        Translate(dx, dy);
        return;
    default:
        ReportError("Inavlid move type");
    }
}

void RotatePlacement(Placement* target, const Placement* frame, float yawDegrees,
                     float pitchDegrees)
{
    // Zero or NaN amounts are skipped.
    if (pitchDegrees > 0.0f || pitchDegrees < 0.0f)
        TurnStep(target, frame, pitchDegrees, true);
    if (yawDegrees > 0.0f || yawDegrees < 0.0f)
        TurnStep(target, frame, yawDegrees, false);
}

void UpdateOrbitCamera()
{
    float r = static_cast<float>(viewer.orbitDistance);
    float a = static_cast<float>(std::fmod(std::trunc(double(viewer.orbitYaw)) - 90.0, 360.0) * kPi / 180.0);
    float b = static_cast<float>(std::fmod(std::trunc(double(viewer.orbitPitch)) + 90.0, 360.0) * kPi / 180.0);
    float y = r * std::cos(b), h = r * std::sin(b);
    float offset[3] = {h * std::cos(a), y, h * std::sin(a)};
    float centre[3];
    OrbitCentre(centre);
    Placement& camera = viewer.camera;
    for (int i = 0; i < 3; ++i) {
        camera.position[i] = centre[i] + offset[i];
        camera.axisZ[i] = centre[i] - camera.position[i];
    }
    VectorNormalize(camera.axisZ);
    camera.axisY[0] = 0, camera.axisY[1] = 1, camera.axisY[2] = 0;
    VectorCross(camera.axisY, camera.axisZ, camera.axisX);
    VectorNormalize(camera.axisX);
    VectorCross(camera.axisZ, camera.axisX, camera.axisY);
    VectorNormalize(camera.axisY);
}

bool StraightenPlacement(Placement* p)
{
    float w[3] = {p->axisZ[2], 0.0f, -p->axisZ[0]};
    if (VectorNormalize(w) == 0.0f)
        return false;
    for (int i = 0; i < 3; ++i)
        p->axisX[i] = w[i];
    VectorCross(p->axisZ, p->axisX, p->axisY);
    VectorNormalize(p->axisY);
    return true;
}

void ToggleControlTarget(float)
{
    viewer.controlTarget = viewer.controlTarget == kTargetCamera ? kTargetModel : kTargetCamera;
}

namespace {

void EnterOrbitMode()
{
    viewer.controlMode = kModeOrbit;
    float centre[3];
    OrbitCentre(centre);
    double d[3];
    for (int i = 0; i < 3; ++i)
        d[i] = double(viewer.camera.position[i]) - centre[i];
    double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    viewer.orbitDistance = static_cast<int32_t>(std::trunc(length));
    // An eye on the centre has no direction: it gets pitch 0.
    double angleFromUp = length > 0.0 ? std::acos(d[1] / length) : kPi / 2;
    viewer.orbitPitch = static_cast<float>(angleFromUp * kDegreesPerRadian - 90.0);
    if (d[0] == 0.0 && d[2] == 0.0) {
        viewer.orbitYaw = 90.0f;
    } else {
        double yaw = std::atan2(d[2], d[0]) * kDegreesPerRadian + 90.0;
        viewer.orbitYaw = static_cast<float>(yaw > 180.0 ? yaw - 360.0 : yaw);
    }
    UpdateOrbitCamera();
}

}  // namespace

void ToggleControlMode(float)
{
    if (viewer.controlMode == kModeOrbit)
        viewer.controlMode = kModeFly;
    else
        EnterOrbitMode();
}

void StraightenControlTarget(float)
{
    if (viewer.controlTarget == kTargetCamera)
        Straighten(&viewer.camera);
    else if (ModelObject* model = TargetModel())
        Straighten(&model->placement);
}

void ToggleAutoStraighten(float)
{
    viewer.autoStraighten = !viewer.autoStraighten;
    if (viewer.autoStraighten)
        StraightenControlTarget();
}

void MoveTargetForward(float amount)
{
    if (viewer.controlTarget == kTargetCamera) {
        if (viewer.controlMode == kModeOrbit) {
            viewer.orbitDistance = static_cast<int32_t>(std::trunc(viewer.orbitDistance + double(amount)));
            UpdateOrbitCamera();
        } else {
            VectorAddScaled(viewer.camera.position, amount, viewer.camera.axisZ, viewer.camera.position);
        }
    } else if (ModelObject* model = TargetModel()) {
        Placement& p = model->placement;
        VectorAddScaled(p.position, amount, p.axisZ, p.position);
    }
}

void MoveTargetRight(float amount)
{
    MoveControlTarget(amount, 0.0f, kMoveTranslate);
}

void MoveTargetDown(float amount)
{
    MoveControlTarget(0.0f, amount, kMoveTranslate);
}

void RotateTargetRight(float amount)
{
    MoveControlTarget(amount, 0.0f, kMoveRotate);
}

void RotateTargetDown(float amount)
{
    MoveControlTarget(0.0f, amount, kMoveRotate);
}
