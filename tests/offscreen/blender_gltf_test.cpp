// Models made in Blender and written by its own glTF exporter, opened by the
// real tarnivel with no display server: every animation listed, each one
// moving the model, and the model drawn in its picture's colours.
#include <gtest/gtest.h>

#include "support/image_files.h"
#include "support/programs.h"
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

}  // namespace

TEST(BlenderModels, OpenWithEveryAnimationAndDrawInTheirPicturesColours)
{
    if (RunCommand("command -v blender").empty())
        GTEST_SKIP() << "no blender here";
    TempDir dir;
    std::string made = RunCommand("blender -b --python-exit-code 1 --python " TARNIVEL_SOURCE
                                  "/tests/offscreen/blender-figures.py -- '" + dir.path() + "' 2>&1; echo status $?");
    ASSERT_NE(made.find("status 0"), std::string::npos) << made;
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
