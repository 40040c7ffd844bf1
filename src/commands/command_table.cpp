#include "commands/command_table.h"

#include <GL/freeglut.h>

#include "capture/screenshot.h"
#include "commands/viewer_commands.h"
#include "lighting/lights.h"
#include "lighting/materials.h"
#include "render/animation.h"
#include "render/draw.h"
#include "render/render_commands.h"
#include "render/remesh.h"
#include "render/textures.h"
#include "scene/browse.h"
#include "scene/export_current.h"
#include "scene/model_list.h"
#include "scene/q3_player.h"
#include "scene/player.h"
#include "scene/skins.h"
#include "view/control.h"
#include "view/framing.h"
#include "view/projection.h"

const CommandEntry commandTable[kNumCommands + 1] = {
    {"Increase Eye Spacing", '2', 0, ChangeEyeSpacing, 1.0f},
    {"Decrease Eye Spacing", '1', 0, ChangeEyeSpacing, -1.0f},
    {"Increase Eye Spacing x10", '@', 0, ChangeEyeSpacing, 10.0f},
    {"Decrease Eye Spacing x10", '!', 0, ChangeEyeSpacing, -10.0f},
    {"Increase Focal Distance", '4', 0, ChangeFocalDistance, 1.0f},
    {"Decrease Focal Distance", '3', 0, ChangeFocalDistance, -1.0f},
    {"Increase Focal Distance x10", '$', 0, ChangeFocalDistance, 10.0f},
    {"Decrease Focal Distance x10", '#', 0, ChangeFocalDistance, -10.0f},
    {"Toggle Stereo Viewing", '`', 0, ToggleStereo, 0.0f},
    {"Toggle Control Target", 'v', 0, ToggleControlTarget, 0.0f},
    {"Toggle Control Mode", 'o', 0, ToggleControlMode, 0.0f},
    {"Straighten Control Target", 0, 0, StraightenControlTarget, 0.0f},
    {"Toggle Auto Straighten Target", 'g', 0, ToggleAutoStraighten, 0.0f},
    {"Move Camera/Model Forward", '.', 0, MoveTargetForward, 1.0f},
    {"Move Camera/Model Backward", ',', 0, MoveTargetForward, -1.0f},
    {"Move Camera/Model Forward x10", '>', 0, MoveTargetForward, 10.0f},
    {"Move Camera/Model Backward x10", '<', 0, MoveTargetForward, -10.0f},
    {"Move Camera/Model Right", 0, 0, MoveTargetRight, 1.0f},
    {"Move Camera/Model Left", 0, 0, MoveTargetRight, -1.0f},
    {"Move Camera/Model Right x10", 0, 0, MoveTargetRight, 10.0f},
    {"Move Camera/Model Left x10", 0, 0, MoveTargetRight, -10.0f},
    {"Move Camera/Model Down", 0, 0, MoveTargetDown, 1.0f},
    {"Move Camera/Model Up", 0, 0, MoveTargetDown, -1.0f},
    {"Move Camera/Model Down x10", 0, 0, MoveTargetDown, 10.0f},
    {"Move Camera/Model Up x10", 0, 0, MoveTargetDown, -10.0f},
    {"Rotate Camera/Model Right", 0, GLUT_KEY_LEFT, RotateTargetRight, 1.0f},
    {"Rotate Camera/Model Left", 0, GLUT_KEY_RIGHT, RotateTargetRight, -1.0f},
    {"Rotate Camera/Model Right x10", 0, 0, RotateTargetRight, 10.0f},
    {"Rotate Camera/Model Left x10", 0, 0, RotateTargetRight, -10.0f},
    {"Rotate Camera/Model Down", 0, GLUT_KEY_DOWN, RotateTargetDown, 1.0f},
    {"Rotate Camera/Model Up", 0, GLUT_KEY_UP, RotateTargetDown, -1.0f},
    {"Rotate Camera/Model Down x10", 0, 0, RotateTargetDown, 10.0f},
    {"Rotate Camera/Model Up x10", 0, 0, RotateTargetDown, -10.0f},
    {"Increase FOV", '0', 0, ChangeFieldOfView, 1.0f},
    {"Decrease FOV", '9', 0, ChangeFieldOfView, -1.0f},
    {"Increase FOV x10", ')', 0, ChangeFieldOfView, 10.0f},
    {"Decrease FOV x10", '(', 0, ChangeFieldOfView, -10.0f},
    {"Toggle Help Screen", 'h', 0, ToggleHelp, 0.0f},
    {"Toggle Status Display", 'd', 0, ToggleStatusDisplay, 0.0f},
    {"Start/Stop Animation", ' ', 0, StartStopAnimation, 0.0f},
    {"Speed Up Animation", ']', 0, ChangeAnimationSpeed, -1.0f},
    {"Slow Down Animation", '[', 0, ChangeAnimationSpeed, 1.0f},
    {"Speed Up Animation x10", '}', 0, ChangeAnimationSpeed, -10.0f},
    {"Slow Down Animation x10", '{', 0, ChangeAnimationSpeed, 10.0f},
    {"Reset Animation Speed", '\'', 0, ResetAnimationSpeed, 0.1f},
    {"Toggle Animation Method", 'a', 0, ToggleAnimationMethod, 0.0f},
    {"Advance One Frame", '=', 0, AdvanceOneFrame, 0.0f},
    {"Reverse One Frame", '-', 0, ReverseOneFrame, 0.0f},
    {"Advance to Next Sequence", '+', 0, ChangeSequence, 1.0f},
    {"Reverse to Prev Sequence", '_', 0, ChangeSequence, -1.0f},
    {"Toggle Interpolation Method", 'i', 0, ToggleInterpolationMethod, 0.0f},
    {"Add Custom Frame", 10, 0, AddCustomFrame, -1.0f},
    {"Add Custom Frame", 13, 0, AddCustomFrame, -1.0f},
    {"Make Random Sequence", 'r', 0, MakeRandomSequence, 20.0f},
    {"Delete Custom Frame", 127, 0, DeleteCustomFrame, 0.0f},
    {"Delete Custom Frame", 8, 0, DeleteCustomFrame, 0.0f},
    {"Delete All Custom Frames", 'c', 0, DeleteAllCustomFrames, 0.0f},
    {"Toggle Remeshing", 'm', 0, ToggleRemeshing, 0.0f},
    {"Increase Remeshing Threshold", 'x', 0, ChangeRemeshThreshold, 1.0f},
    {"Decrease Remeshing Threshold", 'z', 0, ChangeRemeshThreshold, -1.0f},
    {"Toggle Texturing", 't', 0, ToggleTexturing, 0.0f},
    {"Toggle Texture Filter", 'f', 0, ToggleTextureFilter, 0.0f},
    {"Modulate Textures (shadows)", 0, 0, SetTextureEnvMode, 8448.0f},
    {"Blend Textures (highlights)", 0, 0, SetTextureEnvMode, 3042.0f},
    {"Load Skin", 0, 0, LoadSkin, 0.0f},
    {"Start Auto-Loading Skins", 0, 0, StartAutoLoadSkins, 10.0f},
    {"Auto-Load More Skins", 0, 0, AutoLoadMoreSkins, 10.0f},
    {"Remove Skin", 0, 0, RemoveSkin, 0.0f},
    {"Next Skin", 's', 0, NextSkin, 0.0f},
    {"Toggle Solid/Wireframe/Points", 'w', 0, ToggleRenderMode, 0.0f},
    {"Toggle Depth Buffer", 'b', 0, ToggleDepthBuffer, 0.0f},
    {"Toggle GL Commands for MD2s", 'q', 0, ToggleGlCommands, 0.0f},
    {"Reset Light Settings", 0, 0, ResetLights, 0.0f},
    {"Toggle Visibility of Sources", 0, 0, ToggleLightSources, 0.0f},
    {"0.0", 0, 0, SetAmbientLevel, 0.0f},
    {"0.2", 0, 0, SetAmbientLevel, 0.2f},
    {"0.4", 0, 0, SetAmbientLevel, 0.4f},
    {"0.6", 0, 0, SetAmbientLevel, 0.6f},
    {"0.8", 0, 0, SetAmbientLevel, 0.8f},
    {"1.0", 0, 0, SetAmbientLevel, 1.0f},
    {"Toggle Lighting", 'l', 0, ToggleLighting, 0.0f},
    {"Toggle Shade Model", 0, 0, ToggleShadeModel, 0.0f},
    {"Increase Ambient Light Level", 'k', 0, ChangeAmbientLevel, 1.0f},
    {"Decrease Ambient Light Level", 'j', 0, ChangeAmbientLevel, -1.0f},
    {"Load Model", 0, 0, LoadModel, 0.0f},
    {"Load Q2 Player", 0, 0, LoadQ2Player, 0.0f},
    {"Remove Model", 0, 0, RemoveModel, 0.0f},
    {"Next Model", 'n', 0, NextModel, 0.0f},
    {"White", 0, 0, SetBackgroundColour, 0.0f},
    {"Grey", 0, 0, SetBackgroundColour, 1.0f},
    {"Black", 0, 0, SetBackgroundColour, 2.0f},
    {"Red", 0, 0, SetBackgroundColour, 3.0f},
    {"Green", 0, 0, SetBackgroundColour, 4.0f},
    {"Blue", 0, 0, SetBackgroundColour, 5.0f},
    {"Brown", 0, 0, SetBackgroundColour, 6.0f},
    {"Purple", 0, 0, SetBackgroundColour, 7.0f},
    {"Take Screen Shot", '*', 0, TakeScreenShot, 0.0f},
    {"Capture Sequence", '/', 0, CaptureSequence, 0.0f},
    {"Quit", 27, 0, Quit, 0.0f},
    {"Frame Current Model", 'F', 0, FrameCurrentModel, 0.0f},
    {"Next Model File", 0, GLUT_KEY_PAGE_DOWN, NextModelFile, 0.0f},
    {"Previous Model File", 0, GLUT_KEY_PAGE_UP, PreviousModelFile, 0.0f},
    {"First Model File", 0, GLUT_KEY_HOME, FirstModelFile, 0.0f},
    {"Last Model File", 0, GLUT_KEY_END, LastModelFile, 0.0f},
    {"Export Model", 'e', 0, ExportCurrentModel, 0.0f},
    {"Load Q3 Player", 0, 0, LoadQ3Player, 0.0f},
    {"Next Legs Animation", 'y', 0, ChangeLegsAnimation, 1.0f},
    {"Previous Legs Animation", 'Y', 0, ChangeLegsAnimation, -1.0f},
    {"Next Torso Animation", 'u', 0, ChangeTorsoAnimation, 1.0f},
    {"Previous Torso Animation", 'U', 0, ChangeTorsoAnimation, -1.0f},
    {"Load Q3 Weapon", 0, 0, LoadQ3Weapon, 0.0f},
    {"No Weapon", 0, 0, RemoveQ3Weapon, 0.0f},
    {"Next Body", 'B', 0, NextBody, 0.0f},
    {"", 0, 0, nullptr, 0.0f},
};

int FindCommandForSpecialKey(int key)
{
    for (int row = 0; commandTable[row].name[0]; ++row)
        if (commandTable[row].specialKey == key && commandTable[row].key == 0)
            return row;
    return -1;
}

int FindCommandForKey(int key)
{
    if (key == 0)
        return -1;
    for (int row = 0; commandTable[row].name[0]; ++row)
        if (commandTable[row].key == key)
            return row;
    return -1;
}
