#include <GL/gl.h>
#include <gtest/gtest.h>

#include "looks/skins.h"
#include "render/animation.h"
#include "render/textures.h"
#include "scene/model_list.h"
#include "scene/skins.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "support/test_files.h"

namespace {

class ModelList : public ViewerTest {
protected:
    std::string Write(const std::string& name) { return dir.Write(name, writers::WriteMd2(TinyMd2())); }
};

}  // namespace

TEST_F(ModelList, NewestModelsComeFirstAndNextWraps)
{
    ModelObject* a = Load(TinyMd2(), "a.md2");
    ModelObject* b = Load(TinyMd2(), "b.MD2");
    ModelObject* c = Load(TinyMd2(), "c.md2");
    ASSERT_TRUE(a && b && c);
    for (ModelObject* current : {c, b, a, c}) {
        EXPECT_EQ(viewer.currentModel, current);
        NextModel();
    }
    RemoveModel();  // b, the current one
    EXPECT_EQ(viewer.modelList.get(), c);
    EXPECT_EQ(c->next.get(), a);
    EXPECT_EQ(viewer.currentModel, c);
    RemoveModel();
    RemoveModel();
    EXPECT_EQ(viewer.currentModel, nullptr);
}

TEST_F(ModelList, WrongNamesAndFailedLoadsLeaveTheListAloneAndNoModelMeansNothing)
{
    ErrorCapture errors;
    RemoveModel();
    NextModel();
    EXPECT_EQ(errors.Text(), "");
    ModelObject* kept = Load(TinyMd2(), "kept.md2");
    EXPECT_EQ(kept->placement.axisX[0] + kept->placement.axisZ[2], -2.0f);  // turned half around
    for (const char* name : {"model.txt", "model", "dir.v2/model"})
        EXPECT_EQ(AddModel(name), nullptr);
    EXPECT_EQ(errors.Count("AddModel: You must specify a model ending with \".mdl\" or \".md2\""), 3);
    EXPECT_EQ(AddModel(dir.Path("missing.md2").c_str()), nullptr);
    EXPECT_TRUE(errors.Has("OpenMd2File: Couldn't open the md2 file \"" + dir.Path("missing.md2") +
                           "\"\nError: InitMd2Object: unable to open md2 file\nError: AddModel: Unable to "
                           "create the model object\n"));
    EXPECT_EQ(viewer.currentModel, kept);
    EXPECT_EQ(kept->next, nullptr);
    size_t before = errors.Text().size();
    Printed([] { EXPECT_EQ(AddModel(nullptr), nullptr); });
    EXPECT_EQ(errors.Text().size(), before);  // a cancelled prompt is silent
}

// Run under the sanitizers, this shows loading and removing leaks nothing.
TEST_F(ModelList, LoadAndRemoveAThousandTimes)
{
    std::string md2 = Write("a.md2");
    std::string mdl = dir.Write("a.mdl", writers::WriteMdl(TinyMdl(3, 2)));
    for (int i = 0; i < 500; ++i) {
        ASSERT_NE(AddModel(md2.c_str()), nullptr);
        ModelObject* model = AddModel(mdl.c_str());
        ASSERT_NE(model, nullptr);
        GLuint list = model->displayList, texture = model->skins[1].textureId;
        RemoveModel();
        RemoveModel();
        ASSERT_FALSE(glIsList(list));
        ASSERT_FALSE(glIsTexture(texture));
    }
    EXPECT_EQ(viewer.modelList, nullptr);
}

TEST_F(ModelList, PathsUpToTheSystemLimitLoadAndLongerOnesAreRefused)
{
    std::string deep;
    while (deep.size() < 560)
        deep += std::string(60, 'd') + "/";
    std::string model = Write(deep + "model.md2");
    std::string skin = dir.Write(deep + "skin.pcx", TestPcx(8, 8));
    ASSERT_GE(model.size(), 600u);
    ASSERT_NE(AddModel(model.c_str()), nullptr);
    AddSkin(skin.c_str());
    EXPECT_EQ(viewer.currentModel->numSkins, 1);

    ErrorCapture errors;
    testing::internal::CaptureStdout();
    std::string tooLong = "/" + std::string(kMaxPath, 'x') + ".md2";
    EXPECT_EQ(AddModel(tooLong.c_str()), nullptr);
    AddSkin(tooLong.c_str());
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(errors.Has("AddModel: the path is 4101 characters long, past the system's limit of 4095"));
    EXPECT_TRUE(errors.Has("AddSkin: the path is 4101 characters long, past the system's limit of 4095"));
    EXPECT_EQ(viewer.currentModel->numSkins, 1);
}

// A load names itself by its format in its GL checks, MD3 included.
TEST_F(ModelList, EveryFormatsLoadNamesItsOwnReader)
{
    writers::Md3Model md3;
    md3.frameNames = {"a"};
    md3.surfaces.push_back(TinySurface("quad", 1));
    const struct {
        std::string name;
        std::vector<uint8_t> bytes;
        const char* loader;
    } files[] = {{"a.md2", writers::WriteMd2(TinyMd2()), "InitMd2Object"},
                 {"a.mdl", writers::WriteMdl(TinyMdl()), "InitMdlObject"},
                 {"a.md3", writers::WriteMd3(md3), "InitMd3Object"}};
    for (const auto& file : files) {
        ErrorCapture errors;
        glEnable(GL_TEXTURE_1D + 0x1000);  // an error left pending before the skins are read
        ASSERT_NE(AddModel(dir.Write(file.name, file.bytes).c_str()), nullptr);
        EXPECT_TRUE(errors.Has(std::string("OpenGL error detected in ") + file.loader + "() before reading skins"))
            << errors.Text();
    }
}
