// Models made in Blender and written by its own glTF exporter, opened by the
// real tarnivel with no display server: every animation listed, each one
// moving the model, and the model drawn in its picture's colours; then
// written into the games' formats (MD3, IQM, MD2, MDL), where every frame
// stays where Blender itself puts the vertices, in colour.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "rig/assembly.h"
#include "support/image_files.h"
#include "support/programs.h"
#include "support/round_trip.h"
#include "support/test_files.h"

namespace {

struct Colours {
    int red = 0, blue = 0;
};

Colours Painted(const std::string& path)
{
    PngImage image;
    Colours c;
    if (!ReadPngFile(path, image))
        return c;
    c.red = CountPixels(image, [](const uint8_t* p) { return p[0] > 20 && p[0] > 2 * p[1] && p[0] > 2 * p[2]; });
    c.blue = CountPixels(image, [](const uint8_t* p) { return p[2] > 20 && p[2] > 2 * p[0] && p[2] > 2 * p[1]; });
    return c;
}

class BlenderModels : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (RunCommand("command -v blender").empty())
            return;
        folder = std::make_unique<TempDir>();
        made = RunCommand("blender -b --python-exit-code 1 --python " TARNIVEL_SOURCE
                          "/tests/offscreen/blender-figures.py -- '" + folder->path() + "' 2>&1; echo status $?");
    }
    static void TearDownTestSuite() { folder.reset(); }
    void SetUp() override
    {
        if (!folder)
            GTEST_SKIP() << "no blender here";
        ASSERT_NE(made.find("status 0"), std::string::npos) << made;
    }
    static std::unique_ptr<TempDir> folder;
    static std::string made;
};
std::unique_ptr<TempDir> BlenderModels::folder;
std::string BlenderModels::made;

// The points of each pose Blender gave, in game units, three floats a point.
using Poses = std::vector<std::pair<std::string, std::vector<float>>>;

Poses ReadPoses(const std::string& path)
{
    Poses poses;
    std::ifstream in(path);
    std::string line, action;
    int frame = 0;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        words >> action >> frame;
        std::vector<float>& points = poses.emplace_back(action + std::to_string(frame), std::vector<float>()).second;
        // Blender's metres, z up, facing -y, as the game's inches facing +x.
        for (float x, y, z; words >> x >> y >> z;)
            points.insert(points.end(), {-y / 0.0254f, x / 0.0254f, z / 0.0254f});
    }
    return poses;
}

// How far the farthest point of one set lies from the nearest of the
// other, on the axis it is farthest on.
float Farthest(const std::vector<float>& from, const std::vector<float>& to)
{
    float worst = 0;
    for (size_t a = 0; a < from.size(); a += 3) {
        float nearest = INFINITY;
        for (size_t b = 0; b < to.size(); b += 3) {
            float off = 0;
            for (int k = 0; k < 3; ++k)
                off = std::max(off, std::fabs(from[a + k] - to[b + k]));
            nearest = std::min(nearest, off);
        }
        worst = std::max(worst, nearest);
    }
    return worst;
}

}  // namespace

TEST_F(BlenderModels, OpenWithEveryAnimationAndDrawInTheirPicturesColours)
{
    TempDir& dir = *folder;
    const struct {
        const char* file;
        const char* listed;       // the animations --list names
        const char* frames[3];    // a frame of each, and one where nothing has moved yet
    } cases[] = {{"figure.glb", "2 animations Bow,Wave", {"Wave10", "Bow10", "Wave1"}},
                 {"shapes.glb", "1 animations Grow", {"Grow10", "Grow20", "Grow1"}}};
    for (const auto& c : cases) {
        std::string model = dir.Path(c.file);
        std::string listing = RunCommand(std::string(TARNIVEL_BINARY) + " --list '" + model + "'");
        EXPECT_NE(listing.find(c.listed), std::string::npos) << listing;
        std::vector<std::vector<uint8_t>> pictures;
        for (const char* frame : c.frames) {
            std::string out = dir.Path(std::string(c.file) + "-" + frame + ".png");
            ProgramRun run = RunWithoutDisplay({TARNIVEL_BINARY, "--render", out, "--frame", frame, model}, dir.path());
            ASSERT_EQ(run.status, 0) << c.file << " " << frame << ": " << run.errors;
            Colours colours = Painted(out);
            EXPECT_GT(colours.red, 500) << c.file << " " << frame;
            EXPECT_GT(colours.blue, 500) << c.file << " " << frame;
            pictures.push_back(ReadBytes(out));
        }
        EXPECT_NE(pictures[0], pictures[2]) << c.file << ": the first animation moves it";
        EXPECT_NE(pictures[1], pictures[2]) << c.file << ": the second moves it";
        EXPECT_NE(pictures[0], pictures[1]) << c.file;
    }
}

// The largest extent of every pose on an axis: the box MD2 and MDL keep in 255 steps.
float Extent(const Poses& poses)
{
    float low[3] = {INFINITY, INFINITY, INFINITY}, high[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (const auto& pose : poses)
        for (size_t i = 0; i < pose.second.size(); ++i)
            low[i % 3] = std::min(low[i % 3], pose.second[i]), high[i % 3] = std::max(high[i % 3], pose.second[i]);
    return std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]});
}

// Whether an MDL's first skin has an index of the colours that glow (224-255).
bool Glows(const std::string& path)
{
    std::vector<uint8_t> bytes = ReadBytes(path);
    int32_t size[2] = {0, 0};
    if (bytes.size() >= 88)
        memcpy(size, &bytes[writers::mdl::kSkinWidth], sizeof size);
    size_t end = std::min(bytes.size(), 88 + size_t(std::max(size[0], 0)) * size_t(std::max(size[1], 0)));
    return std::any_of(bytes.begin() + std::min<size_t>(88, end), bytes.begin() + end, [](uint8_t i) { return i >= 224; });
}

TEST_F(BlenderModels, WrittenIntoTheGamesWhereBlenderPutsThem)
{
    const struct {
        const char *source, *written, *poses;
        float step;  // MD3 keeps 1/64 unit; IQM its poses' channels in 16-bit steps, within as much here;
                     // 0: MD2 and MDL, 1/255 of the box of every frame
    } cases[] = {{"figure.glb", "models/figure/figure.md3", "figure.poses", 1.0f / 64},
                 {"shapes.glb", "models/shapes/shapes.md3", "shapes.poses", 1.0f / 64},
                 {"figure.glb", "models/figure/figure.iqm", "figure.poses", 1.0f / 64},
                 {"figure.glb", "models/figure/figure.md2", "figure.poses", 0},
                 {"shapes.glb", "models/shapes/shapes.md2", "shapes.poses", 0},
                 {"figure.glb", "progs/figure.mdl", "figure.poses", 0},
                 {"shapes.glb", "progs/shapes.mdl", "shapes.poses", 0}};
    // The game's palette, where the viewer finds it for the MDL.
    std::string palette = folder->Write("gfx/palette.lmp", CubePalette());
    for (const auto& c : cases) {
        std::string written = folder->Path(c.written);
        std::filesystem::create_directories(written.substr(0, written.rfind('/')));
        ProgramRun run = RunWithoutDisplay(
            {TARNIVEL_BINARY, "--export", written, "--palette", palette, folder->Path(c.source)}, folder->path());
        ASSERT_EQ(run.status, 0) << c.written << ": " << run.errors;
        EXPECT_NE(RunCommand("assimp info '" + written + "' 2>&1 | grep -E '^Meshes: +[1-9]'"), "") << c.written;
        Poses poses = ReadPoses(folder->Path(c.poses));
        float step = c.step ? c.step : Extent(poses) / 255;
        Assembly copy;
        ASSERT_TRUE(LoadAssembly("test", written, "", copy)) << c.written;
        const ModelObject& model = *copy.pieces[0];
        ASSERT_EQ(model.numFrames, static_cast<int>(poses.size())) << c.written << ": a frame a frame of Blender's";
        for (const auto& pose : poses) {
            int frame = 0;
            while (frame < model.numFrames && model.frameNames[frame].text != pose.first)
                ++frame;
            ASSERT_LT(frame, model.numFrames) << c.written << ": no frame " << pose.first;
            std::vector<float> corners = FrameCorners(*model.drawn, frame);
            EXPECT_LE(Farthest(corners, pose.second), step) << c.written << " " << pose.first;
            EXPECT_LE(Farthest(pose.second, corners), step) << c.written << " " << pose.first;
        }
        if (written.back() == 'l') {
            EXPECT_FALSE(Glows(written)) << c.written << ": nothing glows in the source";
        }
        std::string picture = written + ".png";
        run = RunWithoutDisplay({TARNIVEL_BINARY, "--render", picture, "--frame", poses[9].first, written},
                                folder->path());
        ASSERT_EQ(run.status, 0) << c.written << ": " << run.errors;
        Colours colours = Painted(picture);
        EXPECT_GT(colours.red, 500) << c.written << ": its skin";
        EXPECT_GT(colours.blue, 500) << c.written << ": its skin";
    }
}
