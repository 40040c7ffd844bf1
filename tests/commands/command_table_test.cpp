#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <string>

#include "capture/screenshot.h"
#include "commands/command_table.h"
#include "commands/dispatch.h"
#include "commands/menus.h"
#include "core/viewer_state.h"
#include "lighting/lights.h"
#include "lighting/materials.h"
#include "models/model_list.h"
#include "models/player.h"
#include "models/skins.h"
#include "render/animation.h"
#include "render/draw.h"
#include "render/interpolate.h"
#include "render/remesh.h"
#include "support/gl_context.h"
#include "support/test_files.h"
#include "view/control.h"
#include "view/framing.h"
#include "view/projection.h"

namespace {

struct Row {
    const char* name;
    int key;
    int special;
    CommandHandler handler;
    float argument;
};

// The whole table as the viewer's users know it: names, keys and arguments.
const Row kRows[kNumCommands] = {
    {"Increase Eye Spacing", '2', 0, ChangeEyeSpacing, 1},
    {"Decrease Eye Spacing", '1', 0, ChangeEyeSpacing, -1},
    {"Increase Eye Spacing x10", '@', 0, ChangeEyeSpacing, 10},
    {"Decrease Eye Spacing x10", '!', 0, ChangeEyeSpacing, -10},
    {"Increase Focal Distance", '4', 0, ChangeFocalDistance, 1},
    {"Decrease Focal Distance", '3', 0, ChangeFocalDistance, -1},
    {"Increase Focal Distance x10", '$', 0, ChangeFocalDistance, 10},
    {"Decrease Focal Distance x10", '#', 0, ChangeFocalDistance, -10},
    {"Toggle Stereo Viewing", 96, 0, ToggleStereo, 0},
    {"Toggle Control Target", 'v', 0, ToggleControlTarget, 0},
    {"Toggle Control Mode", 'o', 0, ToggleControlMode, 0},
    {"Straighten Control Target", 0, 0, StraightenControlTarget, 0},
    {"Toggle Auto Straighten Target", 'g', 0, ToggleAutoStraighten, 0},
    {"Move Camera/Model Forward", '.', 0, MoveTargetForward, 1},
    {"Move Camera/Model Backward", ',', 0, MoveTargetForward, -1},
    {"Move Camera/Model Forward x10", '>', 0, MoveTargetForward, 10},
    {"Move Camera/Model Backward x10", '<', 0, MoveTargetForward, -10},
    {"Move Camera/Model Right", 0, 0, MoveTargetRight, 1},
    {"Move Camera/Model Left", 0, 0, MoveTargetRight, -1},
    {"Move Camera/Model Right x10", 0, 0, MoveTargetRight, 10},
    {"Move Camera/Model Left x10", 0, 0, MoveTargetRight, -10},
    {"Move Camera/Model Down", 0, 0, MoveTargetDown, 1},
    {"Move Camera/Model Up", 0, 0, MoveTargetDown, -1},
    {"Move Camera/Model Down x10", 0, 0, MoveTargetDown, 10},
    {"Move Camera/Model Up x10", 0, 0, MoveTargetDown, -10},
    {"Rotate Camera/Model Right", 0, 100, RotateTargetRight, 1},
    {"Rotate Camera/Model Left", 0, 102, RotateTargetRight, -1},
    {"Rotate Camera/Model Right x10", 0, 0, RotateTargetRight, 10},
    {"Rotate Camera/Model Left x10", 0, 0, RotateTargetRight, -10},
    {"Rotate Camera/Model Down", 0, 103, RotateTargetDown, 1},
    {"Rotate Camera/Model Up", 0, 101, RotateTargetDown, -1},
    {"Rotate Camera/Model Down x10", 0, 0, RotateTargetDown, 10},
    {"Rotate Camera/Model Up x10", 0, 0, RotateTargetDown, -10},
    {"Increase FOV", '0', 0, ChangeFieldOfView, 1},
    {"Decrease FOV", '9', 0, ChangeFieldOfView, -1},
    {"Increase FOV x10", ')', 0, ChangeFieldOfView, 10},
    {"Decrease FOV x10", '(', 0, ChangeFieldOfView, -10},
    {"Toggle Help Screen", 'h', 0, ToggleHelp, 0},
    {"Toggle Status Display", 'd', 0, ToggleStatusDisplay, 0},
    {"Start/Stop Animation", 32, 0, StartStopAnimation, 0},
    {"Speed Up Animation", ']', 0, ChangeAnimationSpeed, -1},
    {"Slow Down Animation", '[', 0, ChangeAnimationSpeed, 1},
    {"Speed Up Animation x10", '}', 0, ChangeAnimationSpeed, -10},
    {"Slow Down Animation x10", '{', 0, ChangeAnimationSpeed, 10},
    {"Reset Animation Speed", 39, 0, ResetAnimationSpeed, 0.1f},
    {"Toggle Animation Method", 'a', 0, ToggleAnimationMethod, 0},
    {"Advance One Frame", '=', 0, AdvanceOneFrame, 0},
    {"Reverse One Frame", '-', 0, ReverseOneFrame, 0},
    {"Advance to Next Sequence", '+', 0, ChangeSequence, 1},
    {"Reverse to Prev Sequence", '_', 0, ChangeSequence, -1},
    {"Toggle Interpolation Method", 'i', 0, ToggleInterpolationMethod, 0},
    {"Add Custom Frame", 10, 0, AddCustomFrame, -1},
    {"Add Custom Frame", 13, 0, AddCustomFrame, -1},
    {"Make Random Sequence", 'r', 0, MakeRandomSequence, 20},
    {"Delete Custom Frame", 127, 0, DeleteCustomFrame, 0},
    {"Delete Custom Frame", 8, 0, DeleteCustomFrame, 0},
    {"Delete All Custom Frames", 'c', 0, DeleteAllCustomFrames, 0},
    {"Toggle Remeshing", 'm', 0, ToggleRemeshing, 0},
    {"Increase Remeshing Threshold", 'x', 0, ChangeRemeshThreshold, 1},
    {"Decrease Remeshing Threshold", 'z', 0, ChangeRemeshThreshold, -1},
    {"Toggle Texturing", 't', 0, ToggleTexturing, 0},
    {"Toggle Texture Filter", 'f', 0, ToggleTextureFilter, 0},
    {"Modulate Textures (shadows)", 0, 0, SetTextureEnvMode, 8448},
    {"Blend Textures (highlights)", 0, 0, SetTextureEnvMode, 3042},
    {"Load Skin", 0, 0, LoadSkin, 0},
    {"Start Auto-Loading Skins", 0, 0, StartAutoLoadSkins, 10},
    {"Auto-Load More Skins", 0, 0, AutoLoadMoreSkins, 10},
    {"Remove Skin", 0, 0, RemoveSkin, 0},
    {"Next Skin", 's', 0, NextSkin, 0},
    {"Toggle Solid/Wireframe/Points", 'w', 0, ToggleRenderMode, 0},
    {"Toggle Depth Buffer", 'b', 0, ToggleDepthBuffer, 0},
    {"Toggle GL Commands for MD2s", 'q', 0, ToggleGlCommands, 0},
    {"Reset Light Settings", 0, 0, ResetLights, 0},
    {"Toggle Visibility of Sources", 0, 0, ToggleLightSources, 0},
    {"0.0", 0, 0, SetAmbientLevel, 0},
    {"0.2", 0, 0, SetAmbientLevel, 0.2f},
    {"0.4", 0, 0, SetAmbientLevel, 0.4f},
    {"0.6", 0, 0, SetAmbientLevel, 0.6f},
    {"0.8", 0, 0, SetAmbientLevel, 0.8f},
    {"1.0", 0, 0, SetAmbientLevel, 1.0f},
    {"Toggle Lighting", 'l', 0, ToggleLighting, 0},
    {"Toggle Shade Model", 0, 0, ToggleShadeModel, 0},
    {"Increase Ambient Light Level", 'k', 0, ChangeAmbientLevel, 1},
    {"Decrease Ambient Light Level", 'j', 0, ChangeAmbientLevel, -1},
    {"Load Model", 0, 0, LoadModel, 0},
    {"Load Q2 Player", 0, 0, LoadQ2Player, 0},
    {"Remove Model", 0, 0, RemoveModel, 0},
    {"Next Model", 'n', 0, NextModel, 0},
    {"White", 0, 0, SetBackgroundColour, 0},
    {"Grey", 0, 0, SetBackgroundColour, 1},
    {"Black", 0, 0, SetBackgroundColour, 2},
    {"Red", 0, 0, SetBackgroundColour, 3},
    {"Green", 0, 0, SetBackgroundColour, 4},
    {"Blue", 0, 0, SetBackgroundColour, 5},
    {"Brown", 0, 0, SetBackgroundColour, 6},
    {"Purple", 0, 0, SetBackgroundColour, 7},
    {"Take Screen Shot", '*', 0, TakeScreenShot, 0},
    {"Capture Sequence", '/', 0, CaptureSequence, 0},
    {"Quit", 27, 0, Quit, 0},
    {"Frame Current Model", 'F', 0, FrameCurrentModel, 0},
};

std::string Label(int row)
{
    char label[94];
    FormatCommandMenuLabel(row, label, sizeof label);
    return label;
}

}  // namespace

TEST(CommandTable, EveryRowAsUsersKnowIt)
{
    for (int row = 0; row < kNumCommands; ++row) {
        const CommandEntry& entry = commandTable[row];
        SCOPED_TRACE("row " + std::to_string(row));
        EXPECT_STREQ(entry.name, kRows[row].name);
        EXPECT_EQ(entry.key, kRows[row].key);
        EXPECT_EQ(entry.specialKey, kRows[row].special);
        EXPECT_EQ(entry.handler, kRows[row].handler);
        EXPECT_EQ(entry.argument, kRows[row].argument);
    }
    EXPECT_STREQ(commandTable[kNumCommands].name, "");
    EXPECT_EQ(commandTable[kNumCommands].handler, nullptr);
}

TEST(CommandTable, KeysFindTheFirstRowAndOnlyExactCharacters)
{
    EXPECT_EQ(FindCommandForKey('w'), 69);
    EXPECT_EQ(FindCommandForKey('W'), -1);
    EXPECT_EQ(FindCommandForKey(10), 51);
    EXPECT_EQ(FindCommandForKey(13), 52);
    EXPECT_EQ(FindCommandForKey(127), 54);
    EXPECT_EQ(FindCommandForKey(8), 55);
    EXPECT_EQ(FindCommandForKey('@'), 2);
    EXPECT_EQ(FindCommandForKey(0), -1);
    EXPECT_EQ(FindCommandForKey('~'), -1);
}

TEST(MenuLabels, KeyPartsNameTheKey)
{
    EXPECT_EQ(Label(51), "Add Custom Frame 'Enter'");
    EXPECT_EQ(Label(54), "Delete Custom Frame 'Del'");
    EXPECT_EQ(Label(98), "Quit 'Esc'");
    EXPECT_EQ(Label(39), "Start/Stop Animation ' '");
    EXPECT_EQ(Label(44), "Reset Animation Speed '''");
    EXPECT_EQ(Label(25), "Rotate Camera/Model Right 'Left'");
    EXPECT_EQ(Label(26), "Rotate Camera/Model Left 'Right'");
    EXPECT_EQ(Label(29), "Rotate Camera/Model Down 'Down'");
    EXPECT_EQ(Label(30), "Rotate Camera/Model Up 'Up'");
    EXPECT_EQ(Label(11), "Straighten Control Target");
    EXPECT_EQ(Label(69), "Toggle Solid/Wireframe/Points 'w'");
}

TEST_F(ViewerTest, KeyboardRunsRowsAndArrowsTurnTheTarget)
{
    Keyboard('w', 0, 0);
    EXPECT_EQ(viewer.renderMode, 1);
    Keyboard('W', 0, 0);
    EXPECT_EQ(viewer.renderMode, 1);
    Keyboard('@', 0, 0);
    EXPECT_EQ(viewer.eyeSpacing, 20.0f);
    Keyboard(0, 0, 0);

    TempDir dir;
    ASSERT_NE(AddModel(dir.Write("m.md2", writers::WriteMd2(TinyMd2())).c_str()), nullptr);
    Keyboard(13, 0, 0);
    Keyboard(10, 0, 0);
    EXPECT_EQ(viewer.currentModel->numCustomFrames, 2);
    Keyboard(127, 0, 0);
    Keyboard(8, 0, 0);
    EXPECT_EQ(viewer.currentModel->numCustomFrames, 0);

    ArrowKey(GLUT_KEY_LEFT, false);
    EXPECT_EQ(viewer.orbitYaw, -1.0f);
    ArrowKey(GLUT_KEY_LEFT, true);
    EXPECT_EQ(viewer.orbitYaw, -11.0f);
    ArrowKey(GLUT_KEY_UP, true);
    EXPECT_EQ(viewer.orbitPitch, 10.0f);
    ArrowKey(GLUT_KEY_DOWN, false);
    ArrowKey(GLUT_KEY_RIGHT, false);
    EXPECT_EQ(viewer.orbitPitch, 9.0f);
    EXPECT_EQ(viewer.orbitYaw, -10.0f);
    ArrowKey(GLUT_KEY_F1, true);
    ArrowKey(112, false);  // left Shift on its own
    EXPECT_EQ(viewer.orbitYaw, -10.0f);

    MenuSelect(25);  // the menu's Rotate Right 'Left' turns like the Left arrow
    EXPECT_EQ(viewer.orbitYaw, -11.0f);
    MenuSelect(17);  // Move Right: orbit mode translates nothing
    EXPECT_EQ(viewer.orbitYaw, -11.0f);
}

TEST(QuitDeathTest, EscEndsTheProgramWithStatusZero)
{
    EXPECT_EXIT(Keyboard(27, 0, 0), testing::ExitedWithCode(0), "");
}

TEST_F(ViewerTest, TheMaterialMenuStarsTheCurrentModelsMaterial)
{
    char label[64];
    MaterialMenuSelect(11);  // no model: nothing
    FormatMaterialMenuLabel(0, label, sizeof label);
    EXPECT_STREQ(label, "Default");
    TempDir dir;
    ModelObject* first = AddModel(dir.Write("a.md2", writers::WriteMd2(TinyMd2())).c_str());
    FormatMaterialMenuLabel(0, label, sizeof label);
    EXPECT_STREQ(label, "*Default");
    MaterialMenuSelect(11);
    EXPECT_EQ(first->materialIndex, 11);
    FormatMaterialMenuLabel(11, label, sizeof label);
    EXPECT_STREQ(label, "*Gold");
    AddModel(dir.Write("b.md2", writers::WriteMd2(TinyMd2())).c_str());
    FormatMaterialMenuLabel(11, label, sizeof label);
    EXPECT_STREQ(label, "Gold");  // the star follows the current model
    NextModel();
    FormatMaterialMenuLabel(11, label, sizeof label);
    EXPECT_STREQ(label, "*Gold");
}
