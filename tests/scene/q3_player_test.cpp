#include <GL/gl.h>
#include <gtest/gtest.h>

#include "render/animation.h"
#include "render/draw.h"
#include "render/tags.h"
#include "scene/model_list.h"
#include "scene/q3_player.h"
#include "scene/skins.h"
#include "state/viewer_state.h"
#include "support/feedback.h"
#include "support/gl_context.h"

namespace {

// Where a model's point (OpenGL axes) lands once its placement is applied.
std::array<float, 3> Placed(const ModelObject* model, const float point[3])
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    ApplyModelPlacement(model);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glPopMatrix();
    std::array<float, 3> out;
    for (int r = 0; r < 3; ++r)
        out[r] = m[12 + r] + m[r] * point[0] + m[4 + r] * point[1] + m[8 + r] * point[2];
    return out;
}

ModelObject* Part(const char* surface)
{
    for (ModelObject* model = viewer.modelList.get(); model; model = model->next.get())
        if (!model->drawn->parts.empty() && model->drawn->parts[0].name == surface)
            return model;
    return nullptr;
}

}  // namespace

TEST_F(ViewerTest, APlayerHangsItsPartsOnTheirTagsAndAnimatesLegsAndTorsoApart)
{
    WriteTinyPlayer(dir, "players/tiny");
    ModelObject* legs = AddModelOrPlayer(dir.Path("players/tiny"));
    ASSERT_NE(legs, nullptr);
    ModelObject *torso = Part("u_torso"), *head = Part("h_head");
    ASSERT_TRUE(torso && head);
    EXPECT_EQ(legs->sequences[legs->sequence].name, "LEGS_IDLE");
    EXPECT_EQ(torso->sequences[torso->sequence].name, "TORSO_STAND");
    EXPECT_STREQ(head->skins[head->currentSkin].name, "default");

    // The legs' frame 1 as sent: MD3 units are 1/64, file (x, y, z) sent as (y, z, x).
    std::vector<FeedbackPolygon> sent = CaptureList(legs->displayList);
    ASSERT_EQ(sent.size(), 2u);
    const float y[4] = {0, 40, 40, 0}, z[4] = {0, 0, 60, 60};
    for (int v = 0; v < 3; ++v) {
        EXPECT_NEAR(sent[0][v].position[0], y[v], 1e-4);
        EXPECT_NEAR(sent[0][v].position[1], z[v], 1e-4);
        EXPECT_NEAR(sent[0][v].position[2], 10 * v + 4, 1e-4);
    }

    // At legs frame 1 the torso tag stands at (0, 0, 11) turned a quarter
    // about z, the head tag at (0, 0, 8) above it: the head's origin at
    // (0, 0, 19), its x axis along the legs' y. In OpenGL axes z is y.
    legs->placement = Placement{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const float origin[3] = {0, 0, 0}, xAxis[3] = {0, 0, 1};
    std::array<float, 3> headOrigin = Placed(head, origin), headX = Placed(head, xAxis);
    EXPECT_NEAR(headOrigin[1], 19.0f, 1e-4);
    EXPECT_NEAR(headX[0] - headOrigin[0], 1.0f, 1e-4);  // OpenGL x is the file's y
    EXPECT_NEAR(headX[2] - headOrigin[2], 0.0f, 1e-4);

    // Legs and torso step apart: each its own animation, frames and rate.
    ChangeLegsAnimation(1);
    EXPECT_EQ(legs->sequences[legs->sequence].name, "LEGS_IDLECR");
    EXPECT_EQ(torso->sequences[torso->sequence].name, "TORSO_STAND");
    ChangeTorsoAnimation(-1);
    EXPECT_EQ(torso->sequences[torso->sequence].name, "TORSO_RAISE");
    ChangeLegsAnimation(-1);  // LEGS_IDLE again: frames 1 and 2 looping, 20 a second
    EXPECT_EQ(FramePeriod(legs), 50.0f);
    EXPECT_EQ(FramePeriod(torso), 100.0f);
    viewer.animating = true;
    std::vector<int> frames;
    for (int now = 0; now <= 200; now += 50) {
        AnimateModel(legs, now);
        frames.push_back(legs->currentFrame);
    }
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 1, 2, 1}));
    NextSkin();
    EXPECT_STREQ(head->skins[head->currentSkin].name, "red");

    RemoveModel();  // the legs, and what hangs on them
    EXPECT_EQ(viewer.modelList, nullptr);
}

TEST_F(ViewerTest, APlayerWhoseAnimationsRunPastItsFramesIsNotLoaded)
{
    std::string config;
    for (int i = 0; i < 25; ++i)
        config += i == 14 ? "1 9 0 10\n" : "0 1 0 10\n";
    WriteTinyPlayer(dir, "bad", config);
    ErrorCapture errors;
    EXPECT_EQ(AddModelOrPlayer(dir.Path("bad")), nullptr);
    EXPECT_TRUE(errors.Has("LoadQ3Player: LEGS_WALK (frames 1 to 9) runs past the 3 frames of lower.md3"))
        << errors.Text();
    EXPECT_EQ(viewer.modelList, nullptr);
}
