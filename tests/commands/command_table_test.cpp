#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <string>

#include "commands/command_table.h"
#include "commands/dispatch.h"
#include "commands/menus.h"
#include "scene/model_list.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "support/test_files.h"

namespace {

std::string Label(int row)
{
    char label[94];
    FormatCommandMenuLabel(row, label, sizeof label);
    return label;
}

std::string MaterialLabel(int index)
{
    char label[64];
    FormatMaterialMenuLabel(index, label, sizeof label);
    return label;
}

}  // namespace

TEST(CommandTable, KeysFindTheirFirstRowAndMenuLabelsNameTheKey)
{
    const std::pair<int, int> keys[] = {{'w', 69}, {'W', -1}, {10, 51}, {13, 52}, {127, 54}, {8, 55},
                                        {'@', 2},  {0, -1},   {'~', -1}, {'F', 99}};
    for (const auto& k : keys)
        EXPECT_EQ(FindCommandForKey(k.first), k.second) << k.first;
    // One label of each kind: a key quoted, a key named, no key.
    const std::pair<int, const char*> labels[] = {
        {69, "Toggle Solid/Wireframe/Points 'w'"}, {51, "Add Custom Frame 'Enter'"}, {11, "Straighten Control Target"}};
    for (const auto& l : labels)
        EXPECT_EQ(Label(l.first), l.second);
}

TEST_F(ViewerTest, KeyboardRunsRowsAndArrowsTurnTheTarget)
{
    Keyboard('w', 0, 0);
    Keyboard('W', 0, 0);
    Keyboard(0, 0, 0);
    EXPECT_EQ(viewer.renderMode, 1);
    Keyboard('@', 0, 0);
    EXPECT_EQ(viewer.eyeSpacing, 20.0f);

    // Each arrow, with and without Shift: the orbit angles after it.
    const struct {
        int key;
        bool shift;
        float yaw, pitch;
    } arrows[] = {{GLUT_KEY_LEFT, false, -1, 0}, {GLUT_KEY_LEFT, true, -11, 0},  {GLUT_KEY_UP, true, -11, 10},
                  {GLUT_KEY_DOWN, false, -11, 9}, {GLUT_KEY_RIGHT, false, -10, 9}, {GLUT_KEY_F1, true, -10, 9},
                  {112, false, -10, 9}};  // 112: a Shift key on its own
    for (const auto& a : arrows) {
        ArrowKey(a.key, a.shift);
        EXPECT_EQ(viewer.orbitYaw, a.yaw) << a.key;
        EXPECT_EQ(viewer.orbitPitch, a.pitch) << a.key;
    }
    MenuSelect(25);  // the menu's Rotate Right 'Left' turns like the Left arrow
    MenuSelect(17);  // Move Right: orbit mode translates nothing
    EXPECT_EQ(viewer.orbitYaw, -11.0f);
}

TEST_F(ViewerTest, TheMaterialMenuStarsTheCurrentModelsMaterial)
{
    MaterialMenuSelect(11);  // no model: nothing
    EXPECT_EQ(MaterialLabel(0), "Default");
    ModelObject* first = Load(TinyMd2(), "a.md2");
    EXPECT_EQ(MaterialLabel(0), "*Default");
    MaterialMenuSelect(11);
    EXPECT_EQ(first->materialIndex, 11);
    EXPECT_EQ(MaterialLabel(11), "*Gold");
    Load(TinyMd2(), "b.md2");
    EXPECT_EQ(MaterialLabel(11), "Gold");  // the star follows the current model
    NextModel();
    EXPECT_EQ(MaterialLabel(11), "*Gold");
}
