// The real viewer, as a person uses it: started in a folder, driven by keys
// and the mouse under Xvfb, judged by what the screen shows and the files
// it writes.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>

#include "e2e/viewer_session.h"
#include "support/programs.h"
#include "support/image_files.h"
#include "support/test_files.h"

namespace {

class EndToEnd : public ::testing::Test {
protected:
    // A copy of the demo folder, so that each run writes its own files.
    void SetUp() override
    {
        RunCommand("cp -r " TARNIVEL_DEMO "/. '" + dir.path() + "' && cd '" + dir.path() +
                   "' && rm -f errors.txt capture_*.png");
    }
    TempDir dir;
};

int CountOccurrences(const std::string& text, const std::string& what)
{
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

const uint8_t* Pixel(const PngImage& image, int x, int y)
{
    return &image.pixels[y * image.rowBytes + 3 * x];
}

bool WaitForFile(const std::string& path, double seconds)
{
    for (double waited = 0; waited < seconds; waited += 0.1) {
        if (FileExists(path))
            return true;
        RunCommand("sleep 0.1");
    }
    return false;
}

}  // namespace

TEST_F(EndToEnd, StartsInTheDemoFolderWithOneWindowAndLogsEachRun)
{
    for (int run = 1; run <= 2; ++run) {
        ViewerSession viewer(dir.path(), {"figure.md2", "creature.mdl"});
        ASSERT_TRUE(viewer.WaitForWindow()) << viewer.Output();
        int width = 0, height = 0;
        ASSERT_TRUE(viewer.WindowSize(&width, &height));
        EXPECT_EQ(width, 640);
        EXPECT_EQ(height, 480);
        EXPECT_EQ(RunCommand("xdotool search --name '^Tarnivel$' | wc -l"), "1\n");
        EXPECT_TRUE(viewer.Running());
        viewer.Key("Escape");
        EXPECT_EQ(viewer.WaitForExit(), 0);
        EXPECT_EQ(viewer.Output(), "");
        EXPECT_EQ(CountOccurrences(ReadText(dir.Path("errors.txt")), "\nNew Error Log Started: "), run);
    }
}

TEST_F(EndToEnd, WithNoPaletteAnywhereAQuakeModelInAPakShowsThePaksColours)
{
    // A game folder whose pak holds the demo's Quake model and a palette
    // that is green throughout; the viewer starts in an empty folder.
    std::vector<uint8_t> green(768);
    for (size_t i = 0; i < green.size(); i += 3)
        green[i + 1] = 255;
    TempDir game, empty;
    std::string pak = game.Write("quake/id1/pak0.pak",
                                 writers::WritePak({{"progs/creature.mdl", ReadBytes(dir.Path("creature.mdl"))},
                                                    {"gfx/palette.lmp", green}}));
    empty.Write("palette.lmp", std::vector<uint8_t>(700, 1));  // short: as good as none
    ViewerSession viewer(empty.path(), {pak + "/progs/creature.mdl"});
    ASSERT_TRUE(viewer.WaitForWindow()) << viewer.Output();
    viewer.Key("d");
    PngImage shown;
    ASSERT_TRUE(viewer.Screenshot(shown));
    int greenPixels = 0, otherPixels = 0;
    for (int y = 0; y < shown.height; ++y) {
        for (int x = 0; x < shown.width; ++x) {
            const uint8_t* p = Pixel(shown, x, y);
            greenPixels += p[1] > 40 && p[0] < p[1] / 4 && p[2] < p[1] / 4;
            otherPixels += p[0] + p[2] > 40;
        }
    }
    EXPECT_GT(greenPixels, 500);
    EXPECT_EQ(otherPixels, 0);
    viewer.Key("Escape");
    EXPECT_EQ(viewer.WaitForExit(), 0);
    EXPECT_EQ(viewer.Output(),
              "Error: LoadMDLPalette: Couldn't read palette entries\tQuake skins take the palette of their game "
              "(gfx/palette.lmp) or load untextured.\n"
              "Error: LoadMD2Palette: Couldn't open the palette_MD2.lmp file.\tQuake 2 skins take the palette of "
              "their game (pics/colormap.pcx) or their own, or load untextured.\n");
}

TEST_F(EndToEnd, LightingRenderModeAndDepthKeysChangeThePicture)
{
    ViewerSession viewer(dir.path(), {"figure.md2", "creature.mdl"});
    ASSERT_TRUE(viewer.WaitForWindow());
    viewer.Key("d");  // overlay off: only the models
    PngImage before, lit, wire, depth;
    ASSERT_TRUE(viewer.Screenshot(before));
    viewer.Key("l");
    ASSERT_TRUE(viewer.Screenshot(lit));
    EXPECT_GT(ImageDifference(before, lit), 0.5);
    viewer.Key("w");
    ASSERT_TRUE(viewer.Screenshot(wire));
    EXPECT_GT(ImageDifference(lit, wire), 0.5);
    viewer.Key("b");
    ASSERT_TRUE(viewer.Screenshot(depth));
    EXPECT_GT(ImageDifference(wire, depth), 0.01);
    viewer.Key("Escape");
    EXPECT_EQ(viewer.WaitForExit(), 0);
}

TEST_F(EndToEnd, TheRightButtonMenuSetsAWhiteBackground)
{
    ViewerSession viewer(dir.path(), {});
    ASSERT_TRUE(viewer.WaitForWindow());
    viewer.Key("d");
    viewer.Click(100, 100, 3);
    auto menuGrey = [](const PngImage& image, int x, int y) {
        const uint8_t* p = Pixel(image, x, y);
        return p[0] == p[1] && p[1] == p[2] && p[0] > 150 && p[0] < 200;
    };
    // Columns the main menu covers, once it is drawn.
    PngImage menuOpen;
    std::vector<bool> mainColumns;
    for (int attempt = 0; attempt < 20; ++attempt) {
        ASSERT_TRUE(viewer.ScreenScreenshot(menuOpen));
        mainColumns.assign(menuOpen.width, false);
        int covered = 0;
        for (int x = 0; x < menuOpen.width; ++x)
            for (int y = 0; y < menuOpen.height && !mainColumns[x]; ++y)
                mainColumns[x] = menuGrey(menuOpen, x, y);
        covered = static_cast<int>(std::count(mainColumns.begin(), mainColumns.end(), true));
        if (covered > 20)
            break;
        viewer.Settle(0.2);
    }
    // Hover "BG Color", the tenth entry; its sub-menu opens to the right,
    // level with it, and "White" is its first entry.
    int entryY = 100 + 25 * 9 + 12;
    viewer.MoveMouse(130, entryY);
    int mainRight = static_cast<int>(mainColumns.rend() - std::find(mainColumns.rbegin(), mainColumns.rend(), true)) - 1;
    int windowX = 0, windowY = 0;
    ASSERT_TRUE(viewer.WindowPosition(&windowX, &windowY));
    ASSERT_GT(mainRight, windowX + 100);
    viewer.MoveMouse(mainRight - windowX + 25, entryY);
    RunCommand("xdotool click 1");
    viewer.Settle(0.5);
    PngImage white;
    ASSERT_TRUE(viewer.Screenshot(white));
    for (auto point : {std::make_pair(5, 5), std::make_pair(630, 470), std::make_pair(600, 20)}) {
        const uint8_t* p = Pixel(white, point.first, point.second);
        EXPECT_EQ(p[0] + p[1] + p[2], 3 * 255) << point.first << "," << point.second;
    }
    viewer.Key("Escape");
    EXPECT_EQ(viewer.WaitForExit(), 0);
}

TEST_F(EndToEnd, SpaceAnimatesTheModel)
{
    ViewerSession viewer(dir.path(), {"figure.md2"});
    ASSERT_TRUE(viewer.WaitForWindow());
    viewer.Key("d");
    PngImage still, moving;
    ASSERT_TRUE(viewer.Screenshot(still));
    viewer.Key("space");
    viewer.Settle(0.35);
    ASSERT_TRUE(viewer.Screenshot(moving));
    EXPECT_GT(ImageDifference(still, moving), 0.01);
    viewer.Key("Escape");
    EXPECT_EQ(viewer.WaitForExit(), 0);
}

TEST_F(EndToEnd, ScreenshotsHoldWhatTheWindowShows)
{
    ViewerSession viewer(dir.path(), {"figure.md2", "creature.mdl"});
    ASSERT_TRUE(viewer.WaitForWindow());
    viewer.Key("d");
    viewer.Key("asterisk");
    PngImage shown, written;
    ASSERT_TRUE(viewer.Screenshot(shown));
    ASSERT_TRUE(WaitForFile(dir.Path("capture_00.png"), 5));
    viewer.Settle(0.5);
    ASSERT_TRUE(ReadPngFile(dir.Path("capture_00.png"), written));
    EXPECT_EQ(written.width, 640);
    EXPECT_EQ(written.height, 480);
    EXPECT_EQ(written.bitDepth, 8);
    EXPECT_EQ(written.colourType, 2);  // RGB, no alpha
    EXPECT_LT(ImageDifference(shown, written), 0.5);
    int lit = 0;  // not an all-black read of the front buffer
    for (size_t i = 0; i < written.pixels.size(); i += 3)
        lit += written.pixels[i] + written.pixels[i + 1] + written.pixels[i + 2] > 60;
    EXPECT_GT(lit, 2000);
    viewer.Key("asterisk");
    EXPECT_TRUE(WaitForFile(dir.Path("capture_01.png"), 5));
    viewer.Key("Escape");
    EXPECT_EQ(viewer.WaitForExit(), 0);
}

TEST_F(EndToEnd, ACaptureSequenceAnsweredOnTheConsole)
{
    ViewerSession viewer(dir.path(), {"figure.md2"});
    ASSERT_TRUE(viewer.WaitForWindow());
    viewer.Key("d");
    viewer.Key("slash");
    viewer.Input("base\n30\n2\nY\n");
    ASSERT_TRUE(WaitForFile(dir.Path("base_059.png"), 60));
    viewer.Settle(0.5);
    EXPECT_FALSE(FileExists(dir.Path("base_060.png")));
    viewer.Key("Escape");
    ASSERT_EQ(viewer.WaitForExit(), 0);
    std::string output = viewer.Output();
    EXPECT_NE(output.find("This will produce 60 frames named from\n\tbase_000.png to base_059.png\n"),
              std::string::npos)
        << output.substr(0, 400);
    for (int frame : {0, 1, 2, 59}) {
        char line[64];
        snprintf(line, sizeof line, "Wrote base_%03d.png at %d (ms)\n", frame, 33 * frame);
        EXPECT_NE(output.find(line), std::string::npos) << line;
    }
    // The model steps every 100 ms of simulated time: every third or fourth image.
    std::vector<int> changes;
    PngImage previous, current;
    ASSERT_TRUE(ReadPngFile(dir.Path("base_000.png"), previous));
    for (int frame = 1; frame < 60; ++frame) {
        char name[32];
        snprintf(name, sizeof name, "base_%03d.png", frame);
        ASSERT_TRUE(ReadPngFile(dir.Path(name), current));
        if (ImageDifference(previous, current) > 0)
            changes.push_back(frame);
        previous = current;
    }
    ASSERT_GE(changes.size(), 15u);
    for (size_t i = 1; i < changes.size(); ++i) {
        int gap = changes[i] - changes[i - 1];
        EXPECT_TRUE(gap == 3 || gap == 4) << "frames " << changes[i - 1] << " and " << changes[i];
    }
}

TEST_F(EndToEnd, SlashStopsARunningCaptureAndNoAbortsOne)
{
    ViewerSession viewer(dir.path(), {"figure.md2"});
    ASSERT_TRUE(viewer.WaitForWindow());
    viewer.Key("d");
    viewer.Key("slash");
    viewer.Input("long\n30\n100\ny\n");
    ASSERT_TRUE(WaitForFile(dir.Path("long_005.png"), 30));
    viewer.Key("slash");
    viewer.Key("slash");
    viewer.Input("other\n10\n1\nn\n");
    viewer.Settle(1.0);
    viewer.Key("Escape");
    ASSERT_EQ(viewer.WaitForExit(), 0);
    std::string output = viewer.Output();
    EXPECT_EQ(CountOccurrences(output, "Capture aborted\n"), 2);
    EXPECT_FALSE(FileExists(dir.Path("long_2999.png")));
    EXPECT_FALSE(FileExists(dir.Path("other_000.png")));
}

TEST_F(EndToEnd, ASignalEndsTheRunAsQuitDoesWithTheLogComplete)
{
    for (int signal : {SIGTERM, SIGINT}) {
        RunCommand("rm -f '" + dir.Path("errors.txt") + "'");
        ViewerSession viewer(dir.path(), {"missing.md2"});
        ASSERT_TRUE(viewer.WaitForWindow());
        viewer.Signal(signal);
        EXPECT_EQ(viewer.WaitForExit(), 0) << signal;
        std::string log = ReadText(dir.Path("errors.txt"));
        EXPECT_EQ(log.find("\nNew Error Log Started: "), 0u) << log;
        const std::string report = "Error: OpenMd2File: Couldn't open the md2 file \"missing.md2\"\n";
        EXPECT_NE(log.find(report), std::string::npos) << log;
        EXPECT_NE(log.find("Error: AddModel: Unable to create the model object\n"), std::string::npos);
        EXPECT_NE(viewer.Output().find(report), std::string::npos);
    }
}

TEST_F(EndToEnd, ARenderWithNoDisplayEqualsTheViewersScreenshotOfTheSameView)
{
    ViewerSession viewer(dir.path(), {"figure.md2"});
    ASSERT_TRUE(viewer.WaitForWindow());
    viewer.Key("d shift+Down shift+Down F asterisk");  // 20 degrees above, framed, a screenshot
    ASSERT_TRUE(WaitForFile(dir.Path("capture_00.png"), 5));
    viewer.Settle(0.5);
    viewer.Key("Escape");
    EXPECT_EQ(viewer.WaitForExit(), 0);
    ProgramRun run = RunWithoutDisplay({TARNIVEL_BINARY, "--render", "rendered.png", "--background", "black",
                                        "figure.md2"},
                                       dir.path());
    ASSERT_EQ(run.status, 0) << run.errors;
    PngImage shown, rendered;
    ASSERT_TRUE(ReadPngFile(dir.Path("capture_00.png"), shown));
    ASSERT_TRUE(ReadPngFile(dir.Path("rendered.png"), rendered));
    ASSERT_EQ(rendered.width, shown.width);
    ASSERT_EQ(rendered.height, shown.height);
    int lit = 0, differing = 0;
    for (int y = 0; y < shown.height; ++y) {
        for (int x = 0; x < shown.width; ++x) {
            const uint8_t* a = &shown.pixels[y * shown.rowBytes + 3 * x];
            const uint8_t* b = &rendered.pixels[y * rendered.rowBytes + 4 * x];
            lit += a[0] + a[1] + a[2] > 30;
            differing += std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 6;
        }
    }
    EXPECT_GT(lit, 5000);
    EXPECT_LE(differing, lit / 100) << "pixels that differ, of " << lit << " lit";
}
