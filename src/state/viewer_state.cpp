#include "state/viewer_state.h"

#include <unistd.h>

#include <cstring>

ViewerState viewer;

void SetStartDirectory(const char* workingDirectory)
{
    size_t size = sizeof viewer.startDirectory;
    snprintf(viewer.startDirectory, size, "%s", workingDirectory ? workingDirectory : "");
    size_t length = strlen(viewer.startDirectory);
    if (length == 0 || viewer.startDirectory[length - 1] != '/')
        strncat(viewer.startDirectory, "/", size - 1 - length);
}

void InitDefaults()
{
    viewer.fpsIntervalStart = 0;
    viewer.fpsFrameCount = 0;
    viewer.fpsIntervalLength = 0;
    viewer.framesPerSecond = 0.0f;
    viewer.showOverlay = true;
    viewer.showHelp = true;
    viewer.orbitYaw = 0.0f;
    viewer.orbitPitch = 0.0f;
    viewer.orbitDistance = 100;
    viewer.fieldOfView = 90;
    viewer.camera = Placement{{0, 0, -100}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    viewer.controlTarget = kTargetCamera;
    viewer.controlMode = kModeOrbit;
    viewer.mouseMoveType = kMoveNone;
    viewer.lastMouseX = 0;
    viewer.lastMouseY = 0;
    viewer.autoStraighten = true;
    viewer.modelList.reset();
    viewer.currentModel = nullptr;
    viewer.animating = false;
    viewer.interpolationMethod = kInterpNone;
    viewer.animFrameTime = 0.1f;
    viewer.renderMode = kRenderSolid;
    viewer.depthTest = true;
    viewer.remeshing = false;
    viewer.remeshThreshold = 1;
    viewer.useGlCommands = true;
    viewer.stereo = false;
    viewer.eyeSpacing = 10.0f;
    viewer.focalDistance = 100.0f;
    viewer.farDistance = 500.0f;
    viewer.textureSizeLimit = 0;
    viewer.screenshotNumber = 0;
    viewer.shaderTime = 0.0;
    viewer.pictureAlpha = false;

    // A directory too long for the buffer is not read at all.
    char cwd[kMaxPath];
    SetStartDirectory(getcwd(cwd, sizeof cwd));
}
