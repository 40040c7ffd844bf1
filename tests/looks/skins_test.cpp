#include <GL/gl.h>
#include <gtest/gtest.h>

#include "looks/skins.h"
#include "render/animation.h"
#include "render/textures.h"
#include "scene/model_list.h"
#include "scene/player.h"
#include "scene/skins.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "support/test_files.h"

namespace {

class Skins : public ViewerTest {
protected:
    ModelObject* Sized(int skinWidth, int skinHeight)
    {
        writers::Md2Model model = TinyMd2();
        model.skinWidth = skinWidth;
        model.skinHeight = skinHeight;
        return Load(model);
    }
};

}  // namespace

TEST_F(Skins, RemovingFollowsTheNextSkinThenThePreviousAndNextSkinCycles)
{
    ModelObject* model = Sized(8, 8);
    std::string pcx = dir.Write("s.pcx", TestPcx(8, 8));
    for (int i = 0; i < 32; ++i)
        AddSkin(pcx.c_str());
    EXPECT_EQ(model->currentSkin, 31);
    NextSkin();
    EXPECT_EQ(model->currentSkin, 0);
    ErrorCapture errors;
    LoadSkin();  // full: refused before any prompt
    EXPECT_TRUE(errors.Has("AddSkin: maximum number of skins reached: 32"));
    EXPECT_EQ(standIn.prompt, "");
    while (model->numSkins > 3)
        RemoveSkin();
    Printed([] { LoadSkin(); });
    EXPECT_EQ(standIn.prompt, "Name of skin (.pcx): ");

    uint32_t third = model->skins[2].textureId, second = model->skins[1].textureId;
    model->currentSkin = 2;
    RemoveSkin();  // the last, while current: the second becomes current
    EXPECT_EQ(model->currentSkin, 1);
    EXPECT_FALSE(glIsTexture(third));
    model->currentSkin = 0;
    RemoveSkin();  // the first: the former second is now first and current
    EXPECT_EQ(model->currentSkin, 0);
    EXPECT_EQ(model->skins[0].textureId, second);
    RemoveSkin();
    EXPECT_FALSE(model->texturing || model->hasSkins);
    NextSkin();
    EXPECT_EQ(model->currentSkin, 0);
}
