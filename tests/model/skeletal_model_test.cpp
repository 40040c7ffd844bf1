// What a skeletal model's load takes as the engines take it, and what it leaves out.
#include <gtest/gtest.h>

#include "geometry/pose.h"
#include "model/load.h"
#include "support/gl_context.h"
#include "support/test_files.h"

TEST(SkeletalModels, FaultyWeightsAreMendedAndAnimationsOfOtherJointsLeftOut)
{
    TempDir dir;
    writers::SkeletalModel arm = TwoBoneArm(), heavy = arm, other = arm;
    heavy.meshes[0].vertices[2].weights = {0.6f, 0.6f, 0, 0};
    other.joints[1].name = "wrist";
    const std::string wave = writers::WriteMd5Anim(other, other.animations[1]);
    const std::string raise = writers::WriteMd5Anim(arm, arm.animations[0]);
    const std::string config = "md5load arm.md5mesh\nmd5anim raise raise.md5anim\nmd5anim wave wave.md5anim\n";
    const std::string mesh = writers::WriteMd5Mesh(arm);
    auto text = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    dir.Write("md5/arm.md5mesh", text(mesh));
    dir.Write("md5/raise.md5anim", text(raise));
    dir.Write("md5/wave.md5anim", text(wave));
    dir.Write("md5/md5.cfg", text(config));
    dir.Write("beside/arm.md5mesh", text(mesh));
    dir.Write("beside/wave.md5anim", text(wave));
    dir.Write("heavy/arm.iqm", writers::WriteIqm(heavy));
    const struct {
        const char* path;
        int frames;
        const char* report;  // null: none
    } cases[] = {
        {"md5/arm.md5mesh", 2, "the animation \"wave\" (%s/md5/wave.md5anim) is missing or does not match the joints"},
        {"beside/arm.md5mesh", 1, nullptr},  // found beside, it is simply not this model's
        {"heavy/arm.iqm", 4, "InitIqmObject: some vertices' weights do not sum to one; they are made to"},
    };
    for (const auto& c : cases) {
        ErrorCapture errors;
        std::unique_ptr<ModelObject> model = LoadModelFile("test", dir.Path(c.path).c_str());
        ASSERT_NE(model, nullptr) << c.path;
        EXPECT_EQ(model->numFrames, c.frames) << c.path;
        char report[512] = "";
        if (c.report)
            snprintf(report, sizeof report, c.report, dir.path().c_str());
        EXPECT_EQ(errors.Has("does not match") || errors.Has("do not sum"), c.report != nullptr) << errors.Text();
        EXPECT_TRUE(!c.report || errors.Has(report)) << errors.Text();
    }
}

// A cube engine turns a model back by its configuration's mdlyaw: Red
// Eclipse's players face -y, and their mdlyaw -90 brings them to face +x.
TEST(SkeletalModels, ACubeEngineModelIsTurnedByItsMdlyaw)
{
    TempDir dir;
    const std::vector<uint8_t> arm = writers::WriteIqm(TwoBoneArm());
    dir.Write("plain/arm.iqm", arm);
    dir.Write("turned/arm.iqm", arm);
    const std::string config = "iqmload arm.iqm\nmdlyaw -90\n";
    dir.Write("turned/iqm.cfg", std::vector<uint8_t>(config.begin(), config.end()));
    std::unique_ptr<ModelObject> plain = LoadModelFile("test", dir.Path("plain/arm.iqm").c_str());
    std::unique_ptr<ModelObject> turned = LoadModelFile("test", dir.Path("turned/arm.iqm").c_str());
    ASSERT_TRUE(plain && turned);
    std::vector<float> positions, normals, before, after;
    for (int frame : {0, plain->numFrames - 1}) {
        PoseFrame(plain->drawn->parts[0], frame, true, before, normals);
        PoseFrame(turned->drawn->parts[0], frame, true, after, normals);
        ASSERT_EQ(before.size(), after.size());
        for (size_t v = 0; v < before.size(); v += 3) {
            EXPECT_NEAR(after[v], -before[v + 1], 1e-4) << "frame " << frame;  // x' = -y: a quarter turn
            EXPECT_NEAR(after[v + 1], before[v], 1e-4) << "frame " << frame;
            EXPECT_NEAR(after[v + 2], before[v + 2], 1e-4) << "frame " << frame;
        }
    }
}
