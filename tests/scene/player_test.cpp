#include <gtest/gtest.h>

#include "scene/model_list.h"
#include "scene/player.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "support/test_files.h"

namespace {

class Q2Player : public ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        writers::Md2Model body = TinyMd2();
        body.skins = {"skin.pcx"};
        dir.Write("player/tris.md2", writers::WriteMd2(body));
        dir.Write("player/skin.pcx", TestPcx(8, 8));
        dir.Write("player/weapon.md2", writers::WriteMd2(TinyMd2()));
        standIn.answer = dir.Path("player/tris.md2");
    }
};

}  // namespace

TEST_F(Q2Player, BodyAndWeaponLoadWithTheWeaponCurrent)
{
    dir.Write("player/weapon.pcx", TestPcx(8, 8));
    ErrorCapture errors;
    std::string console = Printed([] { LoadQ2Player(); });
    EXPECT_NE(console.find("The full path returned is \"" + standIn.answer + "\"\n"), std::string::npos);
    EXPECT_EQ(standIn.kind, ChooserKind::kDirectory);
    EXPECT_NE(console.find("Sorry, but auto-loading of skins has been disabled"), std::string::npos);
    ModelObject* weapon = viewer.currentModel;
    ASSERT_NE(weapon, nullptr);
    ASSERT_NE(weapon->next, nullptr);
    ModelObject* body = weapon->next.get();
    EXPECT_EQ(weapon->numSkins, 1);
    EXPECT_EQ(body->numSkins, 0);  // the disabled auto-loader cleared them
    EXPECT_FALSE(body->texturing);
    EXPECT_STREQ(body->autoSkinDirectory, (dir.path() + "/player/").c_str());
    EXPECT_EQ(errors.Text(), "");
}

TEST_F(Q2Player, MissingPiecesStopWhereTheyAreFound)
{
    ErrorCapture errors;
    testing::internal::CaptureStdout();  // the prompts
    LoadQ2Player();  // no weapon.pcx: both models stay
    EXPECT_TRUE(errors.Has("Unable to open add skin " + dir.Path("player/weapon.pcx")));
    EXPECT_EQ(viewer.currentModel->next->next, nullptr);
    RemoveAllModels();
    standIn.answer = dir.Write("elsewhere/file", {1});  // no tris.md2: nothing
    LoadQ2Player();
    EXPECT_EQ(viewer.currentModel, nullptr);
    EXPECT_TRUE(errors.Has("AddModel: Unable to create the model object"));
    standIn.result = ChooserResult::kCancelled;
    LoadQ2Player();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(errors.Has("Invalid directory name"));
}
