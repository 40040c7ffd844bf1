#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "commands/dispatch.h"
#include "model/load.h"
#include "scene/model_list.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "view/control.h"
#include "view/mouse.h"

namespace {

// Start-up view settings, no display needed.
class Control : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitDefaults();
        InitCommonModelFields(&model);
    }
    void TearDown() override { viewer.currentModel = nullptr; }
    void UseModel() { viewer.currentModel = &model; }
    ModelObject model;
};

void ExpectVector(const float* v, float x, float y, float z, float tolerance = 1e-4f)
{
    EXPECT_NEAR(v[0], x, tolerance);
    EXPECT_NEAR(v[1], y, tolerance);
    EXPECT_NEAR(v[2], z, tolerance);
}

float Dot(const float* a, const float* b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Unit, perpendicular, right-handed axes.
void ExpectOrthonormal(const Placement& p)
{
    float cross[3];
    VectorCross(p.axisY, p.axisZ, cross);
    const float dots[] = {Dot(p.axisX, p.axisX), Dot(p.axisY, p.axisY), Dot(p.axisZ, p.axisZ), Dot(cross, p.axisX),
                          1 + Dot(p.axisX, p.axisY), 1 + Dot(p.axisY, p.axisZ), 1 + Dot(p.axisX, p.axisZ)};
    for (float dot : dots)
        EXPECT_NEAR(dot, 1.0f, 1e-4);
}

}  // namespace

TEST_F(Control, OrbitArrowsCircleTheCentreAndEnteringOrbitKeepsTheEye)
{
    ArrowKey(100, false);  // Left
    EXPECT_EQ(viewer.orbitYaw, -1.0f);
    ExpectVector(viewer.camera.position, -1.7452f, 0.0f, -99.9848f);
    ExpectVector(viewer.camera.axisZ, 0.017452f, 0.0f, 0.999848f);
    MoveTargetForward(1);
    EXPECT_EQ(viewer.orbitDistance, 101);
    MoveTargetRight(1);  // orbit mode: no translation
    MoveTargetDown(1);
    EXPECT_NEAR(std::hypot(viewer.camera.position[0], viewer.camera.position[2]), 101.0f, 1e-3);
    ToggleControlMode();
    EXPECT_EQ(viewer.controlMode, kModeFly);
    // The eye in fly mode, then the orbit entered from it: yaw, pitch, distance, eye.
    const struct {
        float eye[3];
        float yaw, pitch;
        int distance;
        float z;
    } cases[] = {{{0, 0, -100}, 0, 0, 100, -100},
                 {{-100, 0, 0}, -90, 0, 100, 0},
                 {{0, 0, -100.5f}, 0, 0, 100, -100},  // the distance is a whole number
                 {{0, 0, 0}, 90, 0, 0, 0}};           // the eye on the centre: pitch 0, yaw 90
    for (const auto& c : cases) {
        viewer.controlMode = kModeFly;
        std::copy(c.eye, c.eye + 3, viewer.camera.position);
        ToggleControlMode();
        EXPECT_NEAR(viewer.orbitYaw, c.yaw, 1e-4);
        EXPECT_NEAR(viewer.orbitPitch, c.pitch, 1e-4);
        EXPECT_EQ(viewer.orbitDistance, c.distance);
        EXPECT_NEAR(viewer.camera.position[2], c.z, 1e-4);
    }
}

TEST_F(Control, FlyModeTurnsAndShiftsTheCamera)
{
    viewer.controlMode = kModeFly;
    ArrowKey(101, false);  // Up
    ExpectVector(viewer.camera.axisZ, 0, 0.017452f, 0.999848f, 1e-6f);
    ExpectVector(viewer.camera.axisY, 0, 0.999848f, -0.017452f, 1e-6f);
    ExpectVector(viewer.camera.axisX, 1, 0, 0, 1e-6f);
    InitDefaults();
    viewer.controlMode = kModeFly;
    MoveTargetRight(1);
    ExpectVector(viewer.camera.position, 0.6923f, 0, -100);
    viewer.fieldOfView = 30;
    MoveTargetDown(-1);
    ExpectVector(viewer.camera.position, 0.6923f, -0.2308f, -100);
    MoveTargetForward(10);
    ExpectVector(viewer.camera.position, 0.6923f, -0.2308f, -90);
}

TEST_F(Control, ModelsMoveAlongTheCameraAxesAndTheirOwnForward)
{
    viewer.controlMode = kModeFly;
    ToggleControlTarget();
    MoveTargetRight(1);  // no model: nothing
    UseModel();
    MoveTargetRight(1);
    ExpectVector(model.placement.position, 0.6923f, 0, 0);
    MoveTargetForward(1);  // the model's axisZ is (0, 0, -1)
    ExpectVector(model.placement.position, 0.6923f, 0, -1);
    viewer.controlMode = kModeOrbit;
    MoveTargetRight(5);
    ExpectVector(model.placement.position, 0.6923f, 0, -1);
    ArrowKey(100, false);  // orbit mode still turns a model; the camera stays
    ExpectVector(viewer.camera.position, 0, 0, -100);
    ExpectOrthonormal(model.placement);
    EXPECT_GT(model.placement.axisZ[0], 0.0f);  // its facing side turned toward the screen's left
}

TEST_F(Control, StraighteningRightsAnUpsideDownTargetAndTipsAVerticalOneAndOddMovesAreReported)
{
    Placement p = {{0, 0, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 0, 1}};
    ASSERT_TRUE(StraightenPlacement(&p));
    ExpectVector(p.axisX, 1, 0, 0);
    ExpectVector(p.axisY, 0, 1, 0);
    Placement down = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, -1, 0}};
    EXPECT_FALSE(StraightenPlacement(&down));
    viewer.camera = down;
    StraightenControlTarget();
    ExpectOrthonormal(viewer.camera);
    EXPECT_NEAR(viewer.camera.axisX[1], 0.0f, 1e-6);
    EXPECT_GT(viewer.camera.axisY[1], 0.0f);
    EXPECT_LT(viewer.camera.axisZ[1], -0.999f);  // still looking down, all but
    EXPECT_EQ(Printed([] { MoveControlTarget(1, 1, 7); }), "Error: Inavlid move type\n");
}

TEST_F(Control, MouseDragsInEachMode)
{
    MouseButton(0, 0, 100, 100);
    MouseMotion(103, 100);
    EXPECT_EQ(viewer.orbitYaw, 3.0f);
    EXPECT_GT(viewer.camera.position[0], 0.0f);
    MouseButton(0, 1, 103, 100);

    InitDefaults();
    viewer.controlMode = kModeFly;
    MouseButton(0, 0, 100, 100);
    MouseMotion(100, 110);
    EXPECT_NEAR(viewer.camera.axisZ[1], -std::sin(10 * M_PI / 180), 1e-5);  // 10 degrees down
    MouseButton(0, 1, 100, 110);

    viewer.controlTarget = kTargetModel;
    UseModel();
    MouseButton(1, 0, 200, 150);
    MouseMotion(190, 150);
    ExpectVector(model.placement.position, 6.923f, 0, 0, 1e-3f);
    MouseButton(0, 0, 190, 150);  // left pressed during the middle drag...
    MouseButton(0, 1, 190, 150);  // ...and released: the drag is over
    MouseMotion(150, 150);
    ExpectVector(model.placement.position, 6.923f, 0, 0, 1e-3f);
    EXPECT_EQ(viewer.lastMouseX, 150);
    MouseButton(2, 0, 10, 10);  // the right button belongs to the menu
    EXPECT_EQ(viewer.mouseMoveType, kMoveNone);

    viewer.controlMode = kModeOrbit;
    MouseButton(1, 0, 0, 0);
    MouseMotion(50, 50);
    ExpectVector(model.placement.position, 6.923f, 0, 0, 1e-3f);
}

// Thousands of arrow keys and drags keep every axis set sound and upright.
TEST_F(Control, RandomTurnsKeepTheAxesOrthonormalAndLevel)
{
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> pick(0, 5), pixels(-40, 40);
    viewer.controlMode = kModeFly;
    UseModel();
    for (int i = 0; i < 4000; ++i) {
        viewer.controlTarget = i % 2 ? kTargetModel : kTargetCamera;
        int choice = pick(random);
        if (choice < 4) {
            ArrowKey(100 + choice, random() % 3 == 0);
        } else {
            MouseButton(0, 0, 300, 200);
            MouseMotion(300 + pixels(random), 200 + pixels(random));
            MouseButton(0, 1, 0, 0);
        }
        for (const Placement* p : {&viewer.camera, &model.placement}) {
            ExpectOrthonormal(*p);
            ASSERT_NEAR(p->axisX[1], 0.0f, 1e-4) << "step " << i;
        }
    }
}
