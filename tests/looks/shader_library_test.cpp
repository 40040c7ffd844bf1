#include <gtest/gtest.h>

#include "archive/game_files.h"
#include "model/load.h"
#include "looks/shader_library.h"
#include "looks/surface_looks.h"
#include "support/gl_context.h"
#include "support/image_files.h"
#include "support/test_files.h"

namespace {

std::string ImageOf(const ShaderScript* script)
{
    return script && !script->stages.empty() ? script->stages[0].images[0] : "none";
}

}  // namespace

// The engines' rule: a script file is taken from the place searched first,
// and of a name defined twice the file whose name sorts last wins.
TEST(ShaderLibrary, NamesDefinedTwiceResolveAsTheEnginesResolveThem)
{
    TempDir dir;
    auto script = [](const std::string& name, const std::string& image) {
        return Text(name + "\n{\n{ map " + image + " }\n}\n");
    };
    dir.Write("game/baseq3/pak0.pk3", writers::WriteZip({{"scripts/common.shader", script("textures/dup", "pak0.tga")},
                                                         {"scripts/zzz.shader", script("order", "zzz.tga")}}));
    dir.Write("game/baseq3/pak1.pk3", writers::WriteZip({{"scripts/common.shader", script("textures/dup", "pak1.tga")},
                                                         {"scripts/aaa.shader", script("order", "aaa.tga")}}));
    std::string model = dir.Path("game/baseq3/models/m.md3");
    const ShaderLibrary& library = ShaderLibraryOf(GameSearchPlaces(model, kQuake3Bases));
    EXPECT_EQ(library.files, 3);  // common.shader once
    EXPECT_EQ(ImageOf(FindShaderScript(library, "TEXTURES\\Dup.tga")), "pak1.tga");  // the later pk3's copy
    EXPECT_EQ(ImageOf(FindShaderScript(library, "order")), "zzz.tga");               // the last name read first
    EXPECT_EQ(FindShaderScript(library, "textures/none"), nullptr);

    dir.Write("game2/baseq3/scripts/common.shader", script("order", "loose.tga"));
    dir.Write("game2/baseq3/pak0.pk3", writers::WriteZip({{"scripts/common.shader", script("order", "pak0.tga")}}));
    const ShaderLibrary& loose = ShaderLibraryOf(GameSearchPlaces(dir.Path("game2/baseq3/models/m.md3"), kQuake3Bases));
    EXPECT_EQ(ImageOf(FindShaderScript(loose, "order")), "loose.tga");  // loose files come first
}

// Names written with backslashes, in any case, find their scripts and images.
TEST_F(ViewerTest, BackslashNamesFindTheirShadersAndImages)
{
    std::vector<uint8_t> rgb(64 * 3, 90);
    dir.Write("game/baseq3/models/items/skin.tga", EncodeTga(8, 8, rgb, 24, false));
    dir.Write("game/baseq3/scripts/items.shader", Text("models/items/glow\n{\n{ map models/items/skin.tga }\n}\n"));
    writers::Md3Model md3 = FlatQuad("Models\\Items\\Glow");
    md3.surfaces.push_back(FlatQuad("models\\items\\SKIN.jpg").surfaces[0]);
    md3.surfaces.push_back(FlatQuad("models\\items\\missing").surfaces[0]);
    std::string path = dir.Write("game/baseq3/models/items/item.md3", writers::WriteMd3(md3));
    ErrorCapture errors;
    std::unique_ptr<ModelObject> model = LoadModelFile("test", path.c_str());
    ASSERT_NE(model, nullptr);
    const SkinInfo& skin = model->skins[0];
    EXPECT_EQ(skin.partShaders, (std::vector<int32_t>{0, -1, -1}));  // a script, an image, nothing
    EXPECT_GE(skin.partPictures[1], 0);
    EXPECT_EQ(skin.partPictures[2], -1);
    EXPECT_EQ(errors.Count("InitMd3Object: no image for \"models\\items\\missing\""), 1);
    LookCounts counts = CountLooks({"Models\\Items\\Glow", "models\\items\\SKIN", "x", ""}, path);
    EXPECT_EQ(counts.shaders + 10 * counts.images + 100 * counts.none, 1 + 10 + 200);
}
