#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <cstdio>
#include <memory>

#include "maths/placement.h"
#include "model/model.h"
#include "platform/paths.h"
#include "state/light_source.h"

enum ControlTarget : uint8_t { kTargetCamera = 1, kTargetModel = 2 };
enum ControlMode : uint8_t { kModeFly = 0, kModeOrbit = 1 };
enum MoveType : uint8_t { kMoveNone = 0, kMoveRotate = 1, kMoveTranslate = 2 };
enum InterpolationMethod : uint8_t { kInterpNone = 0, kInterpLinear = 1, kInterpCubic = 2 };
enum RenderMode : uint8_t { kRenderSolid = 0, kRenderWireframe = 1, kRenderPoints = 2 };

// The program-wide settings record; every field is zero before start-up.
struct ViewerState {
    int32_t windowWidth;
    int32_t windowHeight;
    int32_t fpsIntervalStart;
    int32_t fpsFrameCount;
    int32_t fpsIntervalLength;
    float framesPerSecond;
    bool showOverlay;
    bool showHelp;
    float orbitYaw;
    float orbitPitch;
    int32_t orbitDistance;
    int32_t fieldOfView;
    Placement camera;
    uint8_t controlTarget;
    uint8_t controlMode;
    uint8_t mouseMoveType;
    int32_t lastMouseX;
    int32_t lastMouseY;
    bool autoStraighten;
    std::unique_ptr<ModelObject> modelList;
    ModelObject* currentModel;
    bool animating;
    uint8_t interpolationMethod;
    float animFrameTime;
    uint8_t renderMode;
    bool depthTest;
    bool remeshing;
    int32_t remeshThreshold;
    bool useGlCommands;
    bool stereo;
    float eyeSpacing;
    float focalDistance;
    float farDistance;  // the far clipping plane; framing a large model moves it out
    int32_t screenshotNumber;
    char startDirectory[kMaxPath];
    GLenum textureFilter;
    int32_t textureSizeLimit;  // 0, or the longest side a skin texture keeps (thumbnails)
    GLenum textureEnvMode;
    bool lightingEnabled;
    bool showLightSources;
    float ambientLevel;
    bool smoothShading;
    LightSource lights[5];
    int materialMenu;
    int32_t captureFrameCount;
    int32_t captureFramesLeft;
    int32_t captureStepMs;
    char captureBaseName[kMaxPath];
    double shaderTime;  // seconds on the animation clock, which shaders' stages run on
    bool pictureAlpha;  // the frame buffer's alpha is a picture's: what the models cover
};

extern ViewerState viewer;

// Gives the fields their start-up values and reads the start directory.
void InitDefaults();
// Fills startDirectory from a working directory (null when it could not be read).
void SetStartDirectory(const char* workingDirectory);
