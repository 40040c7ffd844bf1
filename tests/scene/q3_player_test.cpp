#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>

#include "render/animation.h"
#include "render/draw.h"
#include "render/tags.h"
#include "scene/model_list.h"
#include "scene/q3_player.h"
#include "scene/skins.h"
#include "state/viewer_state.h"
#include "support/feedback.h"
#include "viewer/display.h"
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
    ModelObject* legs = OpenModel(dir.Path("players/tiny"));
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

// Where a model's point (OpenGL axes) is sent once placed, read in feedback mode.
std::array<float, 3> Sent(const ModelObject* model, int vertex)
{
    std::vector<FeedbackPolygon> sent = CaptureDrawing([model] {
        ApplyModelPlacement(model);
        glCallList(model->displayList);
    });
    const FeedbackVertex& v = sent.at(vertex / 3)[vertex % 3];
    return {v.position[0], v.position[1], v.position[2]};
}

size_t PolygonsDrawn()
{
    return CaptureDrawing([] { DrawSceneFrame(); }).size();
}

TEST_F(ViewerTest, APlayerHoldsItsWeaponAndItsFlashOnlyWhileAttacking)
{
    WriteTinyPlayer(dir, "game/baseq3/models/players/tiny");
    WriteTinyWeapon(dir, "game/baseq3/models/weapons2/gun");
    ModelObject* legs = OpenModel(dir.Path("game/baseq3/models/players/tiny"));
    ASSERT_NE(legs, nullptr);
    legs->placement = Placement{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    EXPECT_EQ(GameWeapons(PlayerFolder(legs)), std::vector<std::string>{"gun"});
    ASSERT_TRUE(GiveQ3Weapon(legs, "gun"));
    ModelObject *gun = PlayerWeapon(legs), *barrel = Part("barrel"), *flash = Part("flash");
    ASSERT_TRUE(gun && barrel && flash);
    // Legs frame 1: tag_torso at (0, 0, 11) turned a quarter about z, so the
    // torso's tag_weapon at (5, 0, 2) stands at (0, 5, 13), the gun's
    // tag_barrel 3 further along the torso's x. Vertex 0 of each tiny
    // surface is its origin; OpenGL's axes are the file's y, z, x.
    const struct {
        const ModelObject* model;
        std::array<float, 3> expected;
    } cases[] = {{gun, {5, 13, 0}}, {barrel, {8, 13, 0}}, {flash, {11, 13, 0}}};
    for (const auto& c : cases)
        for (int a = 0; a < 3; ++a)
            EXPECT_NEAR(Sent(c.model, 0)[a], c.expected[a], 1e-3) << c.model->path << " axis " << a;
    size_t standing = PolygonsDrawn();
    ModelObject* torso = PlayerTorso(legs);
    while (torso->sequences[torso->sequence].name != "TORSO_ATTACK")
        ChangeTorsoAnimation(1);
    EXPECT_EQ(PolygonsDrawn(), standing + 2);  // the flash's quad
    RemoveQ3Weapon();
    EXPECT_EQ(PlayerWeapon(legs), nullptr);
    EXPECT_EQ(PolygonsDrawn(), standing - 4);
}

// Real players as the engines take them: sequences past a part's frames
// stop at its last, missing or broken parts and weapons are reported and
// the rest drawn.
TEST_F(ViewerTest, FaultyPlayersAndWeaponsAreReportedAndTheRestDrawn)
{
    std::string config;
    for (int i = 0; i < 25; ++i)
        config += i == 14 ? "1 9 0 10\n" : "0 1 0 10\n";
    WriteTinyPlayer(dir, "game/baseq3/models/players/bad", config);
    dir.Write("game/baseq3/models/players/bad/head.md3", {1, 2, 3});
    WriteTinyWeapon(dir, "game/baseq3/models/weapons2/bare", false);
    dir.Write("game/baseq3/models/weapons2/empty/readme.txt", {'x'});
    ErrorCapture errors;
    ModelObject* legs = OpenModel(dir.Path("game/baseq3/models/players/bad"));
    ASSERT_NE(legs, nullptr);
    EXPECT_TRUE(errors.Has("LoadQ3Player: LEGS_WALK (frames 1 to 9) runs past the 3 frames of lower.md3; it stops "
                           "at frame 2"));
    EXPECT_TRUE(errors.Has("head.md3 does not load; the rest of the player is drawn"));
    for (const PlayerAnimation& walk : legs->sequences) {
        if (walk.name == "LEGS_WALK") {
            EXPECT_EQ(walk.first + walk.count, 3);
        }
    }
    ASSERT_NE(PlayerTorso(legs), nullptr);
    EXPECT_FALSE(GiveQ3Weapon(legs, "empty"));
    EXPECT_TRUE(errors.Has("LoadQ3Weapon: no weapon \"empty\""));
    EXPECT_TRUE(GiveQ3Weapon(legs, "bare"));
    EXPECT_TRUE(errors.Has("has no tag_barrel; its barrel is left off"));
    EXPECT_TRUE(errors.Has("has no tag_flash; its flash is left off"));
}
