#include "viewer/overlay.h"

#include <GL/freeglut.h>

#include <cstdarg>
#include <cstdio>

#include "model/model.h"
#include "scene/q3_player.h"
#include "state/viewer_state.h"

namespace {

const char* const kAnimMethodNames[] = {"none", "all frames", "same sequence", "custom sequence"};
const char* const kInterpolationNames[] = {"none", "linear", "cubic"};
const char* const kControlTargetNames[] = {"none", "camera", "model"};
const char* const kMoveStyleNames[] = {"fly", "orbit"};

template <size_t N>
const char* NameOf(const char* const (&names)[N], unsigned index)
{
    return index < N ? names[index] : "?";
}

struct HelpLine {
    int y;
    const char* left;
    const char* right;
    const char* later;  // a key added since, in a column of its own
};

const HelpLine kHelpLines[] = {
    {50, "h - Togle Help", "d - Togle Display of status info", nullptr},
    {75, "l - Togle Lighting", "b - Togle Texturing", nullptr},
    {90, "s - Change Skin", "f - Togle texture Filter (nearest/linear)", nullptr},
    {105, "w - Change rendering method (solid/wireframe/points)", nullptr, nullptr},
    {120, "b - Toggle depth buffer", nullptr, "n   Next Model"},
    {135, "m - Toggle Re-Meshing", "~ - Toggle Red-Blue Stereo Viewing", nullptr},
    {150, "z/x - Decrease/Increase remeshing recursion depth", nullptr, "q   GL Commands (MD2)"},
    {175, "Space  - Start/Stop Animation", nullptr, "F   Frame Current Model"},
    {190, "i      - Change Interpolation method (none/linear/cubic)", nullptr, nullptr},
    {205, "a      - Change Animation method (none/all/sequence/custom)", nullptr, nullptr},
    {230, "Return - Add a frame to the custom frames sequence", nullptr, "e   Export Model"},
    {245, "Delete - Delete a  frame from the custom frames sequence", nullptr, nullptr},
    {260, "r      - Generate a Random set of frames for the custom frames sequence", nullptr, nullptr},
    {275, "c      - Clear all frames in the custom frames sequence", nullptr, nullptr},
    {300, "o      - Toggle view mode", "v             - Toggle the control target", nullptr},
    {315, "Arrows - Rotate the target", "Left Button   - Rotate the target", nullptr},
    {330, "</>    - Target back/forward", "Middle Button - Translate the target", nullptr},
    {345, "g      - Toggle auto-straightening of target", nullptr, "* /  Screen Shot, Capture"},
    {360, "-/+    - Rewind/Advance a frame", nullptr, "+/_  Next/Prev Sequence"},
    {375, "j/k    - Decrease/Increase light level", nullptr, "y/Y  Legs Animation"},
    {390, "[/]    - Slow down/Speed up the animation", nullptr, "u/U  Torso Animation"},
    {405, "(/)    - Decrease/Increase field of view", nullptr, "PgDn/PgUp Home/End Files"},
    {420, "1/2    - Decrease/Increase rb stereo eye spacing", nullptr, "Esc  Quit"},
    {435, "3/4    - Decrease/Increase rb stereo focal distance", nullptr, nullptr},
    {450, "\"      - Return animation speed to default (10fps)", nullptr, nullptr},
    {465, "Shift  - Hold down to increase magnitude of changes", nullptr, nullptr},
};

// Where the keys added since the first page stand: right of its longest short lines.
constexpr int kLaterKeysX = 440;

void DrawModelLines(const ModelObject* model, int w)
{
    DrawBitmapText(10, 20, GLUT_BITMAP_9_BY_15, "%4d: %.16s", model->currentFrame,
                   model->frameNames[model->currentFrame >= 0 && model->currentFrame < model->numFrames
                                         ? model->currentFrame
                                         : 0]
                       .text);
    if (model->numSkins > 1)
        DrawBitmapText(10, 35, GLUT_BITMAP_9_BY_15, "skin: %.64s", model->skins[model->currentSkin].name);
    int picture = 0;
    if (model->drawn)
        if (const FrameGroup* group = FrameGroupOf(*model->drawn, model->currentFrame, &picture))
            DrawBitmapText(10, 50, GLUT_BITMAP_9_BY_15, "%s", FrameGroupLine(*group, picture).c_str());
    std::string animations = PlayerAnimationsLine(model);
    if (!animations.empty())
        DrawBitmapText(10, 50, GLUT_BITMAP_9_BY_15, "%s", animations.c_str());
    if (model->animMethod != 3)
        return;
    DrawBitmapText(w - 123, 25, GLUT_BITMAP_8_BY_13, "Custom Sequence:");
    for (int i = 0; i < model->numCustomFrames; ++i) {
        if (i == model->customFrameIndex)
            glColor3f(0, 0, 1);
        else
            glColor3f(1, 0, 0);
        DrawBitmapText(w - 27, 40 + 10 * i, GLUT_BITMAP_8_BY_13, "%3d", model->customFrames[i]);
    }
}

}  // namespace

std::string PlayerAnimationsLine(const ModelObject* model)
{
    std::string line;
    for (const ModelObject* part : {PlayerLegs(model), PlayerTorso(model)}) {
        if (!part || part->sequence < 0 || part->sequence >= static_cast<int>(part->sequences.size()))
            continue;
        line += (line.empty() ? "" : "   ") + part->sequences[part->sequence].name;
    }
    return line;
}

std::string FrameGroupLine(const FrameGroup& group, int picture)
{
    char text[64];
    snprintf(text, sizeof text, "frame group %d, picture %d of %d; intervals:", group.entry, picture + 1,
             static_cast<int>(group.intervals.size()));
    std::string line = text;
    for (size_t i = 0; i < group.intervals.size(); ++i) {
        snprintf(text, sizeof text, i == size_t(picture) ? " [%.2f]" : " %.2f",
                 static_cast<double>(group.intervals[i]));
        line += text;
    }
    return line;
}

void DrawBitmapText(float x, float y, void* font, const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    glRasterPos2f(x, y);
    for (const char* c = text; *c; ++c)
        glutBitmapCharacter(font, static_cast<unsigned char>(*c));
}

void DrawHelp()
{
    int w = viewer.windowWidth, h = viewer.windowHeight;
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glColor4f(0, 0, 0, 0.7f);
    glRecti(0, 0, w, h);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glColor3f(0, 0, 1);
    DrawBitmapText(300, 30, GLUT_BITMAP_HELVETICA_18, "Help");
    for (const HelpLine& line : kHelpLines) {
        if (line.right)
            DrawBitmapText(30, line.y, GLUT_BITMAP_8_BY_13, "%-30s %-30s", line.left, line.right);
        else
            DrawBitmapText(30, line.y, GLUT_BITMAP_8_BY_13, "%s", line.left);
        if (line.later)
            DrawBitmapText(kLaterKeysX, line.y, GLUT_BITMAP_8_BY_13, "%s", line.later);
    }
}

void DrawStatusLines()
{
    int w = viewer.windowWidth, h = viewer.windowHeight;
    const ModelObject* model = viewer.currentModel;
    glColor3f(1, 0, 0);
    if (model)
        DrawBitmapText(10, h - 40, GLUT_BITMAP_9_BY_15, "Anim Method:   %s",
                       NameOf(kAnimMethodNames, model->animMethod));
    DrawBitmapText(10, h - 25, GLUT_BITMAP_9_BY_15, "Interpolation: %s",
                   NameOf(kInterpolationNames, viewer.interpolationMethod));
    DrawBitmapText(330, h - 40, GLUT_BITMAP_9_BY_15, "Controlling: %s",
                   NameOf(kControlTargetNames, viewer.controlTarget));
    DrawBitmapText(330, h - 25, GLUT_BITMAP_9_BY_15, "Move Style:  %s",
                   NameOf(kMoveStyleNames, viewer.controlMode));
    DrawBitmapText(330, h - 10, GLUT_BITMAP_9_BY_15, "FOV:         %d", viewer.fieldOfView);
    if (viewer.remeshing)
        DrawBitmapText(10, h - 55, GLUT_BITMAP_9_BY_15, "Remeshing Threshold: %d", viewer.remeshThreshold);
    DrawBitmapText(10, h - 10, GLUT_BITMAP_9_BY_15, "FPS: %4.1f      Anim Timing: %4.2f",
                   viewer.framesPerSecond, viewer.animFrameTime);
    if (model)
        DrawModelLines(model, w);
}
