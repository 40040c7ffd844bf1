#include "viewer/display.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstdio>

#include "capture/screenshot.h"
#include "lighting/lights.h"
#include "lighting/materials.h"
#include "platform/error_log.h"
#include "platform/quit_signals.h"
#include "render/animation.h"
#include "render/draw.h"
#include "render/tags.h"
#include "state/viewer_state.h"
#include "view/projection.h"
#include "viewer/overlay.h"

namespace {

// A model's opaque parts, or one part of it, where it stands and in its material.
void DrawModel(const ModelObject* model, int part)
{
    glPushMatrix();
    ApplyModelPlacement(model);
    if (viewer.lightingEnabled)
        ApplyMaterial(model->materialIndex);
    else
        glColor3f(1, 1, 1);
    if (part < 0)
        DrawOpaqueParts(model);  // each part with its texture, or its shader's passes
    else
        DrawModelPart(model, part);
    glPopMatrix();
}

void DrawScene(float eyeOffset)
{
    glPushMatrix();
    PlaceCamera(eyeOffset);
    if (viewer.lightingEnabled) {
        for (const LightSource& light : viewer.lights) {
            if (!light.on)
                continue;
            PlaceLight(&light);
            if (viewer.showLightSources)
                DrawLightMarker(&light);
        }
    }
    for (const ModelObject* model = viewer.modelList.get(); model; model = model->next.get())
        if (ModelShown(model))
            DrawModel(model, -1);
    for (const ModelPart& blended : BlendedParts())
        DrawModel(blended.model, blended.part);
    glPopMatrix();
}

void DrawOverlay()
{
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, viewer.windowWidth, viewer.windowHeight, 0);
    glMatrixMode(GL_MODELVIEW);
    if (viewer.showHelp) {
        DrawHelp();
    } else {
        UpdateFrameRate(glutGet(GLUT_ELAPSED_TIME));
        DrawStatusLines();
    }
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    if (viewer.depthTest)
        glEnable(GL_DEPTH_TEST);
    if (viewer.lightingEnabled)
        glEnable(GL_LIGHTING);
}

}  // namespace

void UpdateFrameRate(int now)
{
    viewer.fpsIntervalLength = now - viewer.fpsIntervalStart;
    viewer.fpsFrameCount += 1;
    if (static_cast<uint32_t>(viewer.fpsIntervalLength) >= 1000u) {
        viewer.framesPerSecond = viewer.fpsFrameCount * 1000.0f / viewer.fpsIntervalLength;
        viewer.fpsFrameCount = 0;
        viewer.fpsIntervalStart = now;
    }
}

void DrawSceneFrame()
{
    GLbitfield depthBit = viewer.depthTest ? GL_DEPTH_BUFFER_BIT : 0;
    if (!viewer.stereo) {
        glClear(GL_COLOR_BUFFER_BIT | depthBit);
        DrawScene(0.0f);
    } else {
        glClear(GL_COLOR_BUFFER_BIT | depthBit);
        glColorMask(GL_FALSE, GL_FALSE, GL_TRUE, GL_FALSE);
        DrawScene(-0.5f * viewer.eyeSpacing);
        if (depthBit)
            glClear(depthBit);
        glColorMask(GL_TRUE, GL_FALSE, GL_FALSE, GL_FALSE);
        DrawScene(0.5f * viewer.eyeSpacing);
    }
    glDisable(GL_TEXTURE_2D);
    if (viewer.stereo)
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void Display()
{
    DrawSceneFrame();
    if (viewer.showOverlay)
        DrawOverlay();
    // The back buffer holds the frame until the swap: screenshots read it here.
    TakePendingScreenShot();
    glutSwapBuffers();
    CheckGLError("Display()");
}

void Idle()
{
    QuitIfRequested();
    bool capturing = viewer.captureFramesLeft > 0;
    int32_t frame = viewer.captureFrameCount - viewer.captureFramesLeft;
    int32_t now = capturing ? frame * viewer.captureStepMs : glutGet(GLUT_ELAPSED_TIME);
    if (viewer.animating || capturing)
        for (ModelObject* model = viewer.modelList.get(); model; model = model->next.get())
            AnimateModel(model, now);
    else
        SettleStillModels();
    if (!capturing) {
        glutPostRedisplay();
        return;
    }
    if (!BeginCaptureFrame(frame))
        return;
    Display();
    FinishCaptureFrame(now);
}
