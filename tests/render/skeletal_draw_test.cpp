// Skeletal models posed as the viewer draws them: the joints blended, then
// the mesh skinned, checked against the skinning worked out by hand.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>

#include "render/animation.h"
#include "render/draw.h"
#include "scene/model_list.h"
#include "scene/q3_player.h"
#include "state/viewer_state.h"
#include "support/feedback.h"
#include "support/gl_context.h"

namespace {

// The arm in each way its files come: an IQM with its own animations; an IQM
// mesh whose iqm.cfg names files of animations only; an MD5 mesh with the
// .md5anim files beside it.
struct ArmFiles {
    const char* how;
    std::function<std::string(const TempDir&)> write;
};

std::string Text(const TempDir& dir, const std::string& name, const std::string& text)
{
    return dir.Write(name, std::vector<uint8_t>(text.begin(), text.end()));
}

const ArmFiles kArms[] = {
    {"IQM", [](const TempDir& dir) { return dir.Write("arm.iqm", writers::WriteIqm(TwoBoneArm())); }},
    {"IQM and iqm.cfg",
     [](const TempDir& dir) {
         writers::SkeletalModel mesh = TwoBoneArm(), raise = mesh, wave = mesh;
         mesh.animations.clear();
         raise.meshes.clear(), wave.meshes.clear();
         raise.animations.pop_back(), wave.animations.erase(wave.animations.begin());
         dir.Write("arm/lift.iqm", writers::WriteIqm(raise));
         dir.Write("arm/moves/wave.iqm", writers::WriteIqm(wave));
         Text(dir, "arm/iqm.cfg", "iqmload arm.iqm\niqmanim \"raise\" \"lift.iqm\"\niqmanim wave moves/wave.iqm 5\n");
         return dir.Write("arm/arm.iqm", writers::WriteIqm(mesh));
     }},
    {"MD5",
     [](const TempDir& dir) {
         writers::SkeletalModel arm = TwoBoneArm();
         for (const writers::SkeletalAnimation& animation : arm.animations)
             Text(dir, animation.name + ".md5anim", writers::WriteMd5Anim(arm, animation));
         return Text(dir, "arm.md5mesh", writers::WriteMd5Mesh(arm));
     }},
};

// Whether some vertex went out at the file's point (x, y, z): sent as (y, z, x).
bool Sent(const std::vector<FeedbackPolygon>& polygons, float x, float y, float z)
{
    for (const FeedbackPolygon& polygon : polygons)
        for (const FeedbackVertex& v : polygon)
            if (std::fabs(v.position[0] - y) < 2e-3 && std::fabs(v.position[1] - z) < 2e-3 &&
                std::fabs(v.position[2] - x) < 2e-3)
                return true;
    return false;
}

}  // namespace

TEST_F(ViewerTest, SkeletalModelsAreSkinnedFromBlendedJoints)
{
    const float c = std::sqrt(0.5f);
    const struct {
        uint8_t method;
        int current, next;
        float fraction;
        std::vector<std::array<float, 3>> expected;
    } poses[] = {
        // The elbow a quarter turn about z: the shared vertex 0.6 of (15, 0)
        // and 0.4 of (10, 5).
        {0, 1, 2, 0.0f, {{0, 2, 0}, {13, 2, 0}, {12.2f, 3.2f, 0}, {10, 10, 0}, {8, 10, 0}}},
        // Halfway: the elbow slerped an eighth of a turn, not the vertices
        // averaged (those would put the hand at (15, 5)).
        {1, 0, 1, 0.5f, {{10 + 10 * c, 10 * c, 0}, {15 * 0.6f + 0.4f * (10 + 5 * c), 0.4f * 5 * c, 0}}},
        // The shoulder a quarter turn about x carries the whole arm.
        {0, 3, 0, 0.0f, {{0, 0, 2}, {15, 0, 2}, {20, 0, 0}, {20, 0, 2}}},
    };
    for (const ArmFiles& arm : kArms) {
        SCOPED_TRACE(arm.how);
        TempDir files;
        ModelObject* model = OpenModel(arm.write(files));
        ASSERT_NE(model, nullptr);
        ASSERT_EQ(model->numFrames, 4);
        const char* names[] = {"raise1", "raise2", "wave1", "wave2"};
        for (int f = 0; f < 4; ++f)
            EXPECT_STREQ(model->frameNames[f].text, names[f]);
        for (const auto& pose : poses) {
            viewer.interpolationMethod = pose.method;
            model->prevPrevFrame = model->prevFrame = model->currentFrame = pose.current;
            model->nextFrame = pose.next;
            UpdateModelDisplayList(model, pose.fraction);
            std::vector<FeedbackPolygon> sent = CaptureList(model->displayList);
            EXPECT_EQ(sent.size(), 4u);
            for (const auto& p : pose.expected)
                EXPECT_TRUE(Sent(sent, p[0], p[1], p[2])) << p[0] << " " << p[1] << " " << p[2];
            EXPECT_FALSE(pose.method == 1 && Sent(sent, 15, 5, 0));
        }
        RemoveAllModels();
    }
}
