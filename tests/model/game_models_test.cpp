// Models, skins and palettes opened where the games keep them: inside paks
// and pk3s, in mod folders beside the base game, with no palette in sight.
#include <gtest/gtest.h>

#include "batch/model_listing.h"
#include "formats/md2.h"
#include "formats/mdl.h"
#include "looks/palettes.h"
#include "looks/skins.h"
#include "platform/chooser.h"
#include "platform/error_log.h"
#include "render/animation.h"
#include "render/textures.h"
#include "scene/model_list.h"
#include "scene/player.h"
#include "scene/skins.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "support/test_files.h"

namespace {

// A palette that is black but for entry index, which is colour.
std::vector<uint8_t> OneColourPalette(int index, std::array<uint8_t, 3> colour)
{
    std::vector<uint8_t> palette(768, 0);
    std::copy(colour.begin(), colour.end(), palette.begin() + 3 * index);
    return palette;
}

// An 8 x 8 PCX of one index, with its own palette or the header's 16 colours.
std::vector<uint8_t> PlainPcx(int index, const std::vector<uint8_t>* palette)
{
    writers::PcxPicture pcx;
    pcx.indices.assign(64, static_cast<uint8_t>(index));
    pcx.palette256 = palette ? palette->data() : nullptr;
    pcx.version = palette ? 5 : 3;
    return writers::WritePcx(pcx);
}

std::vector<uint8_t> TopLeftTexel(const ModelObject* model)
{
    std::vector<uint8_t> texels = TextureRgb(model->skins[0].textureId);
    return std::vector<uint8_t>(texels.begin(), texels.begin() + 3);
}

std::string memberToChoose;
std::vector<std::string> offered;
ChooserResult ChooseMember(const char*, const std::vector<std::string>& members, std::string& chosen)
{
    offered = members;
    chosen = memberToChoose;
    return chosen.empty() ? ChooserResult::kCancelled : ChooserResult::kChosen;
}

class GameModels : public ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        mdlPaletteLoaded = md2PaletteLoaded = false;  // none in the working directory
        memberChooser = ChooseMember;
        testing::internal::CaptureStdout();
    }
    void TearDown() override
    {
        testing::internal::GetCapturedStdout();
        memberChooser = SystemMemberChooser;
        ViewerTest::TearDown();
    }
    // A Quake game: id1/pak0.pak with an MDL whose skin is index 16 and a palette making it green.
    std::string QuakeGame()
    {
        return dir.Write("quake/id1/pak0.pak",
                         writers::WritePak({{"progs/thing.mdl", writers::WriteMdl(TinyMdl(3, 1))},
                                            {"gfx/palette.lmp", OneColourPalette(16, {0, 200, 0})}}));
    }
    ErrorCapture errors;
};

}  // namespace

TEST_F(GameModels, ModelsInsideAPakOrAModFolderFindTheirGamesPaletteAndSkins)
{
    std::string pak = QuakeGame();
    ModelObject* model = AddModel((pak + "/progs/thing.mdl").c_str());
    ASSERT_NE(model, nullptr) << errors.Text();
    ASSERT_EQ(model->numSkins, 1);
    EXPECT_EQ(TopLeftTexel(model), (std::vector<uint8_t>{0, 200, 0}));
    // A member that is not there is a missing file.
    EXPECT_EQ(AddModel((pak + "/progs/none.mdl").c_str()), nullptr);
    EXPECT_TRUE(errors.Has("OpenMdlFile: Couldn't open the mdl file \"" + pak + "/progs/none.mdl\""));

    std::vector<uint8_t> blue = OneColourPalette(40, {10, 20, 250});
    dir.Write("quake2/baseq2/pak0.pak", writers::WritePak({{"pics/colormap.pcx", PlainPcx(0, &blue)},
                                                           {"models/tank/skin.pcx", PlainPcx(40, nullptr)}}));
    writers::Md2Model tank = TinyMd2();
    tank.skins = {"models/tank/skin.pcx"};
    model = Load(tank, "quake2/mymod/models/tank/tris.md2");
    ASSERT_NE(model, nullptr) << errors.Text();
    ASSERT_EQ(model->numSkins, 1) << errors.Text();
    EXPECT_EQ(TopLeftTexel(model), (std::vector<uint8_t>{10, 20, 250}));
}

TEST_F(GameModels, WithoutAnyPaletteModelsLoadUntexturedSayingWhichPaletteIsMissing)
{
    ModelObject* mdl = Load(TinyMdl(3, 1), "loose/thing.mdl");
    ASSERT_NE(mdl, nullptr);
    EXPECT_FALSE(mdl->texturing);
    EXPECT_TRUE(errors.Has("InitMdlObject: no palette.lmp for the skins of"));

    // A PCX skin with 256 colours of its own is shown with them; one with 16 is left out.
    std::vector<uint8_t> own = OneColourPalette(7, {90, 0, 0});
    dir.Write("loose/own.pcx", PlainPcx(7, &own));
    dir.Write("loose/sixteen.pcx", PlainPcx(7, nullptr));
    writers::Md2Model model = TinyMd2();
    model.skins = {"own.pcx", "sixteen.pcx"};
    ModelObject* md2 = Load(model, "loose/thing.md2");
    ASSERT_NE(md2, nullptr);
    ASSERT_EQ(md2->numSkins, 1);
    EXPECT_EQ(TopLeftTexel(md2), (std::vector<uint8_t>{90, 0, 0}));
    EXPECT_TRUE(errors.Has("ReadMD2Skin: no palette_MD2.lmp for the skin \"" + dir.Path("loose/sixteen.pcx")));
}

TEST_F(GameModels, ChoosingAnArchiveAsksWhichModelSkinOrPlayerIsMeant)
{
    std::string pk3 = dir.Write("base/models.pk3",
                                writers::WriteZip({{"models/b.md2", writers::WriteMd2(TinyMd2())},
                                                   {"models/a.MD2", writers::WriteMd2(TinyMd2({"one"}))},
                                                   {"models/skin.pcx", TestPcx(8, 8)},
                                                   {"players/male/tris.md2", writers::WriteMd2(TinyMd2())},
                                                   {"players/male/weapon.md2", writers::WriteMd2(TinyMd2())},
                                                   {"players/male/weapon.pcx", TestPcx(8, 8)},
                                                   {"readme.txt", {}}}));
    memberToChoose = "models/a.MD2";
    ModelObject* model = AddModel(pk3.c_str());
    ASSERT_NE(model, nullptr) << errors.Text();
    EXPECT_EQ(offered, (std::vector<std::string>{"models/a.MD2", "models/b.md2", "players/male/tris.md2",
                                                 "players/male/weapon.md2"}));
    EXPECT_EQ(model->numFrames, 1);

    memberToChoose = "models/skin.pcx";
    AddSkin(pk3.c_str());
    EXPECT_EQ(model->numSkins, 1);
    EXPECT_EQ(offered, (std::vector<std::string>{"models/skin.pcx", "players/male/weapon.pcx"}));

    memberToChoose = "";  // cancelled: nothing happens, nothing is said
    EXPECT_EQ(AddModel(pk3.c_str()), nullptr);
    EXPECT_EQ(errors.Text(), "");

    // "Load Q2 Player" given the archive asks for one of its player folders.
    standIn.answer = pk3;
    memberToChoose = "players/male/";
    LoadQ2Player();
    EXPECT_EQ(offered, (std::vector<std::string>{"players/male/"}));
    ASSERT_NE(viewer.currentModel, model);
    EXPECT_EQ(viewer.currentModel->numSkins, 1) << errors.Text();
    EXPECT_EQ(viewer.currentModel->next->next.get(), model);

    std::string empty = dir.Write("base/empty.pk3", writers::WriteZip({{"readme.txt", {}}}));
    EXPECT_EQ(AddModel(empty.c_str()), nullptr);
    EXPECT_TRUE(errors.Has("AddModel: the archive \"" + empty + "\" holds no model (.mdl, .md2)"));
}

TEST(MemberChooser, TheConsoleTakesANumberOrAPath)
{
    const std::vector<std::string> members = {"progs/a.mdl", "progs/b.mdl"};
    const std::pair<const char*, const char*> cases[] = {
        {"2\n", "progs/b.mdl"}, {"PROGS/A.MDL\n", "progs/a.mdl"}, {"progs/c.mdl\n", "progs/c.mdl"},
        {"3\n", nullptr},        {"0\n", nullptr},                  {"\n", nullptr}};
    for (const auto& c : cases) {
        FILE* input = fmemopen(const_cast<char*>(c.first), strlen(c.first), "r");
        consoleInput = input;
        std::string chosen;
        ChooserResult result;
        EXPECT_EQ(Printed([&] { result = ConsoleMemberChooser("Model in the archive: ", members, chosen); }),
                  "    1  progs/a.mdl\n    2  progs/b.mdl\nModel in the archive: ");
        EXPECT_EQ(result, c.second ? ChooserResult::kChosen : ChooserResult::kCancelled) << c.first;
        EXPECT_EQ(chosen, c.second ? c.second : chosen) << c.first;
        consoleInput = stdin;
        fclose(input);
    }
}

TEST_F(GameModels, ListingTellsEveryModelOfAnArchiveOrFolder)
{
    std::string pak = QuakeGame();
    dir.Write("quake/id1/progs/loose.md2", writers::WriteMd2(TinyMd2({"a", "b"})));
    dir.Write("quake/id1/progs/broken.md2", {1, 2, 3});
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    const std::pair<std::string, int> paths[] = {{dir.Path("quake"), 0}, {pak + "/progs/thing.mdl", 0},
                                                 {dir.Path("quake/none.pak"), 1}};
    for (const auto& path : paths)
        EXPECT_EQ(ListModels(path.first, out), path.second) << path.first;
    fclose(out);
    std::string listing(text, size);
    free(text);
    const std::string thing = pak + "/progs/thing.mdl\tmdl\t3 frames\t4 vertices\t2 triangles\t1 skins\n";
    EXPECT_EQ(listing, thing + dir.Path("quake/id1/progs/loose.md2") +
                           "\tmd2\t2 frames\t4 vertices\t2 triangles\t0 skins\n" + thing);
    EXPECT_TRUE(errors.Has("ListModels: " + dir.Path("quake/id1/progs/broken.md2") + " is not a model that loads"));
    EXPECT_TRUE(errors.Has("ListModels: " + dir.Path("quake/none.pak") + ": no such file or folder"));
}
