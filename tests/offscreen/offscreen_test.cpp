// Pictures made with no display server: the real tarnivel --render and
// tarnivel-thumbnailer, run with DISPLAY and WAYLAND_DISPLAY unset.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "studio_writer.h"
#include "support/image_files.h"
#include "support/programs.h"
#include "support/test_files.h"

namespace {

// A quad seen from both sides, skinned red by its own PCX palette.
class Offscreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        writers::Md2Model model = TinyMd2({"frame1", "frame2", "frame3"});
        model.triangles.push_back({0, 2, 1, 0, 2, 1});
        model.triangles.push_back({0, 3, 2, 0, 3, 2});
        model.glCommands.clear();
        model.skins = {"skin.pcx"};
        std::vector<uint8_t> palette(768, 0);
        palette[3 * 5] = 220, palette[3 * 5 + 1] = 30, palette[3 * 5 + 2] = 30;
        writers::PcxPicture skin;
        skin.indices.assign(64, 5);
        skin.palette256 = palette.data();
        dir.Write("skin.pcx", writers::WritePcx(skin));
        modelPath = dir.Write("quad.md2", writers::WriteMd2(model));
    }
    ProgramRun Render(std::vector<std::string> options, const std::string& output = "out.png")
    {
        std::vector<std::string> arguments = {TARNIVEL_BINARY, "--render", output};
        arguments.insert(arguments.end(), options.begin(), options.end());
        arguments.push_back(modelPath);
        return RunWithoutDisplay(arguments, dir.path());
    }
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    TempDir dir;
    std::string modelPath;
};

struct Coverage {
    int opaque = 0, redOpaque = 0, left, right, top, bottom;
};

Coverage Opaque(const PngImage& image)
{
    Coverage c{0, 0, image.width, -1, image.height, -1};
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = &image.pixels[y * image.rowBytes + 4 * x];
            if (p[3] != 255)
                continue;
            ++c.opaque;
            c.redOpaque += p[0] > 2 * p[1] && p[0] > 2 * p[2];
            c.left = std::min(c.left, x), c.right = std::max(c.right, x);
            c.top = std::min(c.top, y), c.bottom = std::max(c.bottom, y);
        }
    }
    return c;
}

}  // namespace

TEST_F(Offscreen, ThumbnailsAreSquareTransparentAndFramedInTheMiddle)
{
    std::filesystem::create_directory(dir.Path("cache"));
    for (int size : {64, 256}) {
        std::string output = dir.Path("thumb-" + std::to_string(size) + ".png");
        // A URI for the input, and a display set that does not exist: none is ever asked for.
        ProgramRun run = RunWithoutDisplay({TARNIVEL_THUMBNAILER, "-s", std::to_string(size), "file://" + modelPath,
                                            output},
                                           dir.path(), {{"DISPLAY", ":99"}, {"XDG_CACHE_HOME", dir.Path("cache")}});
        ASSERT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(run.errors, "");
        PngImage image;
        ASSERT_TRUE(ReadPngFile(output, image));
        EXPECT_EQ(image.width, size);
        EXPECT_EQ(image.height, size);
        EXPECT_EQ(image.channels, 4);
        EXPECT_EQ(image.pixels[3], 0) << "a transparent corner";
        Coverage c = Opaque(image);
        EXPECT_GT(c.redOpaque, c.opaque * 9 / 10) << "lit and textured";
        int longer = std::max(c.right - c.left, c.bottom - c.top) + 1;
        EXPECT_GE(longer, size * 7 / 10);
        EXPECT_LE(longer, size * 9 / 10);
        EXPECT_NEAR((c.left + c.right) / 2.0, size / 2.0, size / 20.0);
        EXPECT_NEAR((c.top + c.bottom) / 2.0, size / 2.0, size / 20.0);
    }
    EXPECT_TRUE(FileExists(dir.Path("cache/mesa_shader_cache"))) << "a cache that can be kept is kept";
}

TEST_F(Offscreen, AModelWhoseSkinIsElsewhereIsDrawnUntexturedWithOneLineSaid)
{
    writers::Md2Model model = TinyMd2();
    model.skins = {"models/elsewhere/other.pcx"};
    std::string path = dir.Write("bare.md2", writers::WriteMd2(model));
    // As a sandbox runs it: no home, no data folders.
    ProgramRun run = RunWithoutDisplay({TARNIVEL_THUMBNAILER, "-s", "64", path, dir.Path("bare.png")}, dir.path(),
                                       {{"HOME", ""}, {"XDG_DATA_HOME", ""}, {"XDG_CACHE_HOME", ""}});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
    EXPECT_NE(run.errors.find("drawn untextured"), std::string::npos) << run.errors;
    EXPECT_TRUE(FileExists(dir.Path("bare.png")));
}

TEST_F(Offscreen, RendersTakeTheirSizeFrameBackgroundAndSequence)
{
    ASSERT_EQ(Render({"--size", "320x200", "--frame", "2"}, "two.png").status, 0);
    ASSERT_EQ(Render({"--size", "320x200", "--frame", "frame3"}, "named.png").status, 0);
    ASSERT_EQ(Render({"--size", "320x200"}, "first.png").status, 0);
    EXPECT_EQ(ReadBytes(dir.Path("two.png")), ReadBytes(dir.Path("named.png")));
    EXPECT_NE(ReadBytes(dir.Path("two.png")), ReadBytes(dir.Path("first.png")));
    PngImage image;
    ASSERT_TRUE(ReadPngFile(dir.Path("first.png"), image));
    EXPECT_EQ(image.width, 320);
    EXPECT_EQ(image.height, 200);

    ASSERT_EQ(Render({"--background", "Grey"}, "grey.png").status, 0);
    ASSERT_TRUE(ReadPngFile(dir.Path("grey.png"), image));
    EXPECT_EQ(Opaque(image).opaque, 640 * 480);
    EXPECT_EQ(image.pixels[0], image.pixels[2]);
    EXPECT_GT(image.pixels[0], 60);

    // Frames 0 to 2 at 10 pictures a second: one picture a frame; at 20, two.
    ASSERT_EQ(Render({"--frames", "0-2", "--size", "64x64"}, "seq.png").status, 0);
    ASSERT_EQ(Render({"--frames", "0-2", "--fps", "20", "--interpolation", "linear", "--size", "64x64"}, "fine")
                  .status,
              0);
    for (const char* name : {"seq_000.png", "seq_001.png", "seq_002.png", "fine_000.png", "fine_004.png"})
        EXPECT_TRUE(FileExists(dir.Path(name))) << name;
    EXPECT_FALSE(FileExists(dir.Path("seq_003.png")));
    EXPECT_FALSE(FileExists(dir.Path("fine_005.png")));
    EXPECT_EQ(ReadBytes(dir.Path("seq_002.png")), ReadBytes(dir.Path("fine_004.png")));
    EXPECT_NE(ReadBytes(dir.Path("fine_001.png")), ReadBytes(dir.Path("seq_000.png")));
}

TEST_F(Offscreen, AFailedRenderWritesNothingAndSaysSoInOneLine)
{
    dir.Write("broken.md2", {'I', 'D', 'P', '2', 8, 0, 0, 0});
    std::vector<std::string> before = Files();
    const struct {
        std::vector<std::string> arguments;
        const char* report;
    } cases[] = {
        {{TARNIVEL_BINARY, "--render", "out.png", dir.Path("none.md2")}, "Couldn't open the md2 file"},
        {{TARNIVEL_BINARY, "--render", "out.png", dir.Path("broken.md2")}, "Couldn't read in the md2 header"},
        {{TARNIVEL_BINARY, "--render", "out.png", "--frame", "7", modelPath}, "the model has no frame 7"},
        {{TARNIVEL_BINARY, "--render", "out.png", "--frame", "run1", modelPath}, "the model has no frame run1"},
        {{TARNIVEL_BINARY, "--render", "out.png", "--skin", "3", modelPath}, "the model has no skin 3"},
        {{TARNIVEL_BINARY, "--render", dir.Path("missing/out.png"), modelPath}, "cannot write into its folder"},
        {{TARNIVEL_THUMBNAILER, "-s", "128", dir.Path("none.md2"), "out.png"}, "Couldn't open the md2 file"},
        {{TARNIVEL_BINARY, "--export", "out.glb", dir.Path("none.md2")}, "Couldn't open the md2 file"},
        {{TARNIVEL_BINARY, "--export", "out.glb", "--frames", "1-3", modelPath}, "the model has no frames 1-3"},
        {{TARNIVEL_BINARY, "--export", "out.obj", "--frame", "run1", modelPath}, "the model has no frame run1"},
        {{TARNIVEL_BINARY, "--export", dir.Path("missing/out.gltf"), modelPath}, "cannot write into its folder"},
    };
    for (const auto& c : cases) {
        ProgramRun run = RunWithoutDisplay(c.arguments, dir.path());
        EXPECT_EQ(run.status, 1) << c.report;
        EXPECT_NE(run.errors.find(c.report), std::string::npos) << run.errors;
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
        EXPECT_EQ(Files(), before) << c.report;
    }
    // EGL that cannot start: no vendor library at all.
    ProgramRun run = RunWithoutDisplay({TARNIVEL_THUMBNAILER, "-s", "128", modelPath, "out.png"}, dir.path(),
                                       {{"__EGL_VENDOR_LIBRARY_FILENAMES", "/nonexistent.json"}});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("tarnivel-thumbnailer: cannot render off-screen: EGL"), std::string::npos) << run.errors;
    EXPECT_EQ(Files(), before);
    using Arguments = std::vector<std::string>;
    for (const Arguments& arguments :
         {Arguments{TARNIVEL_THUMBNAILER, "-s", "big", modelPath, "out.png"},
          Arguments{TARNIVEL_BINARY, "--render", "out.png", "--size", "0x10", modelPath},
          Arguments{TARNIVEL_BINARY, "--render", "out.png", "--background", "mauve", modelPath},
          Arguments{TARNIVEL_BINARY, "--render", "out.png"}})
        EXPECT_EQ(RunWithoutDisplay(arguments, dir.path()).status, 2) << arguments[2];
}

// A shader's picture keeps in its alpha what the model covers: its holes
// let the background through, the rest is opaque.
TEST_F(Offscreen, ShadedSurfacesCoverWhatTheyDraw)
{
    std::vector<uint8_t> rgb(64 * 3, 200), alpha;
    for (int i = 0; i < 64; ++i)
        alpha.push_back(i % 8 < 4 ? 0 : 255);
    dir.Write("game/baseq3/textures/holes.tga", EncodeTga(8, 8, rgb, 32, false, alpha));
    std::string script = "quad { { map textures/holes.tga\nalphaFunc GE128 } }\n";
    dir.Write("game/baseq3/scripts/t.shader", std::vector<uint8_t>(script.begin(), script.end()));
    modelPath = dir.Write("game/baseq3/models/quad.md3", writers::WriteMd3(FlatQuad("quad")));
    ASSERT_EQ(Render({"--size", "64x64"}).status, 0);
    PngImage image;
    ASSERT_TRUE(ReadPngFile(dir.Path("out.png"), image));
    EXPECT_EQ(PixelAt(image, 28, 32)[3], 0);  // a hole
    EXPECT_EQ(PixelAt(image, 36, 32)[3], 255);
    EXPECT_EQ(PixelAt(image, 36, 32)[0], 200);
}

// A stage added to what is behind it (a rocket's flare) covers only where it
// shines: its black stays transparent, its light shows on any background.
TEST_F(Offscreen, AGlowCoversOnlyWhereItShines)
{
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 64; ++i) {
        bool middle = i / 8 >= 2 && i / 8 < 6 && i % 8 >= 2 && i % 8 < 6;
        rgb.insert(rgb.end(), {uint8_t(middle ? 255 : 0), uint8_t(middle ? 200 : 0), uint8_t(middle ? 100 : 0)});
    }
    dir.Write("game/baseq3/textures/flare.tga", EncodeTga(8, 8, rgb, 24, false));
    std::string script = "flare { { map textures/flare.tga\nblendFunc add } }\n";
    dir.Write("game/baseq3/scripts/t.shader", std::vector<uint8_t>(script.begin(), script.end()));
    modelPath = dir.Write("game/baseq3/models/flare.md3", writers::WriteMd3(FlatQuad("flare")));
    ASSERT_EQ(Render({"--size", "64x64"}).status, 0);
    PngImage image;
    ASSERT_TRUE(ReadPngFile(dir.Path("out.png"), image));
    Coverage seen = Opaque(image);
    EXPECT_EQ(PixelAt(image, 10, 10)[3], 0);  // the flare's black corner
    const uint8_t* middle = PixelAt(image, 32, 28);
    EXPECT_EQ(middle[3], 255);
    EXPECT_GT(middle[0], 200);
    EXPECT_GT(seen.opaque, 0);
    EXPECT_GT(seen.left, 10);  // only the light covers
}

// A file is read by the format its first bytes name, whatever its extension,
// as the engines read it: an MD3 named .mdl (as Nexuiz ships them) lists,
// draws and exports, and so does a Half-Life .mdl (its textures in its
// T.mdl, which a listing passes over); a 3D GameStudio .mdl is named for what it is; a file of no known
// first bytes gets its extension's reader's report.
TEST_F(Offscreen, AModelIsKnownByItsFirstBytes)
{
    std::vector<uint8_t> gameStudio = {'M', 'D', 'L', '5'};
    gameStudio.resize(256);
    dir.Write("kinds/ebomb.mdl", writers::WriteMd3(FlatQuad("models/ebomb")));
    writers::StudioOptions studio;
    studio.textures = {{"arm_skin", 0, 8, 8, {}}};
    studio.texturesApart = true;
    writers::StudioFiles halfLife = writers::WriteStudio(OneBoneArm(), studio);
    dir.Write("kinds/scientist.mdl", halfLife.model);
    dir.Write("kinds/scientistT.mdl", halfLife.textures);
    dir.Write("kinds/robot.mdl", gameStudio);
    dir.Write("kinds/ebombT.mdl", writers::WriteMd3(FlatQuad("models/ebomb")));
    dir.Write("kinds/junk.mdl", std::vector<uint8_t>(256, 'J'));
    const struct {
        const char* file;
        int status;
        const char* said;  // on standard error by --render and --export alike
    } cases[] = {
        {"ebomb.mdl", 0, ""},
        {"scientist.mdl", 0, ""},
        {"scientistT.mdl", 1, "a Half-Life model's texture file: open the model it goes with"},
        {"robot.mdl", 1, "is a 3D GameStudio model (MDL5), which is not read"},
        {"junk.mdl", 1, "not a mdl file because tag is: 4A4A4A4A"},
    };
    for (const auto& c : cases) {
        std::string model = dir.Path(std::string("kinds/") + c.file);
        ProgramRun render = RunWithoutDisplay({TARNIVEL_BINARY, "--render", "out.png", model}, dir.path());
        ProgramRun exported = RunWithoutDisplay({TARNIVEL_BINARY, "--export", "out.glb", model}, dir.path());
        for (const ProgramRun& run : {render, exported}) {
            EXPECT_EQ(run.status, c.status) << c.file << ": " << run.errors;
            EXPECT_NE(run.errors.find(c.said), std::string::npos) << c.file << ": " << run.errors;
        }
    }
    std::string list = RunCommand(std::string(TARNIVEL_BINARY) + " --list " + dir.Path("kinds") + " 2>&1");
    EXPECT_NE(list.find("ebomb.mdl\tmd3\t1 frames"), std::string::npos) << list;
    EXPECT_NE(list.find("scientist.mdl\thlmdl\t4 frames"), std::string::npos) << list;
    EXPECT_EQ(list.find("scientistT.mdl"), std::string::npos) << "a part of scientist.mdl, not a model: " << list;
    EXPECT_NE(list.find("ebombT.mdl\tmd3"), std::string::npos) << "named like a part, but a model: " << list;
}

// A Half-Life model of two body parts, the second's sub-models none and a
// second arm above the first: --body picks them as the game counts them,
// and a body number that is not one is refused.
TEST_F(Offscreen, AHalfLifeModelDrawsTheBodyItIsGiven)
{
    // The arm across the view (along y), the second 6 units above it.
    writers::SkeletalModel arm = OneBoneArm();
    std::swap(arm.joints[1].bind.translate[0], arm.joints[1].bind.translate[1]);
    arm.meshes.push_back(arm.meshes[0]);
    for (size_t m = 0; m < 2; ++m)
        for (auto& vertex : arm.meshes[m].vertices) {
            std::swap(vertex.position[0], vertex.position[1]);
            vertex.position[2] += 6.0f * m;
        }
    writers::StudioOptions studio;
    studio.textures = {{"arm_skin", 0, 8, 8, std::vector<uint8_t>(64, 100)}};
    studio.bodyParts = {{{0}}, {{}, {1}}};
    modelPath = dir.Write("models/arm.mdl", writers::WriteStudio(arm, studio).model);
    float tall[2] = {0, 0};  // the drawing's height to its width, whatever the framing's scale
    for (int body = 0; body < 2; ++body) {
        ASSERT_EQ(Render({"--size", "128x128", "--body", std::to_string(body)}).status, 0);
        PngImage image;
        ASSERT_TRUE(ReadPngFile(dir.Path("out.png"), image));
        Coverage seen = Opaque(image);
        tall[body] = float(seen.bottom - seen.top + 1) / float(seen.right - seen.left + 1);
    }
    EXPECT_GT(tall[1], tall[0] * 1.5f) << "the second arm drawn above the first";
    ProgramRun bad = Render({"--body", "-1"});
    EXPECT_NE(bad.status, 0);
    EXPECT_NE(bad.errors.find("bad value for --body"), std::string::npos) << bad.errors;
}
