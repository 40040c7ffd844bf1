// The real viewer, as a person uses it: started in a folder, driven by keys
// and the mouse under Xvfb, judged by what the screen shows and the files
// it writes.
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <signal.h>

#include "e2e/viewer_session.h"
#include "offscreen/egl_context.h"
#include "support/image_files.h"
#include "support/programs.h"
#include "support/test_files.h"
#include "viewer/overlay.h"

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

bool WaitForFile(const std::string& path, double seconds)
{
    for (double waited = 0; waited < seconds && !FileExists(path); waited += 0.1)
        Settle(0.1);
    return FileExists(path);
}

// Pixels lit in the first image, and of those the ones the second shows otherwise.
std::pair<int, int> LitAndDiffering(const PngImage& a, const PngImage& b)
{
    int lit = 0, differing = 0;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            const uint8_t *p = PixelAt(a, x, y), *q = PixelAt(b, x, y);
            lit += p[0] + p[1] + p[2] > 30;
            differing += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 6;
        }
    }
    return {lit, differing};
}

}  // namespace

TEST_F(EndToEnd, StartsInTheDemoFolderWithOneWindowAndLogsEachRun)
{
    for (int run = 1; run <= 2; ++run) {
        ViewerSession viewer(dir.path(), {"figure.md2", "creature.mdl"});
        ASSERT_TRUE(viewer.WaitForWindow("creature.mdl (1/2) - Tarnivel")) << viewer.Output();
        Box window;
        ASSERT_TRUE(viewer.WindowBox(window));
        EXPECT_EQ(window.width, 640);
        EXPECT_EQ(window.height, 480);
        EXPECT_EQ(RunCommand("xdotool search --name '(^| - )Tarnivel$' | wc -l"), "1\n");
        EXPECT_EQ(viewer.Title(), "creature.mdl (1/2) - Tarnivel");
        viewer.Key("Escape");
        EXPECT_EQ(viewer.WaitForExit(), 0);
        EXPECT_EQ(viewer.Output(), "");
        EXPECT_EQ(Occurrences(ReadText(dir.Path("errors.txt")), "\nNew Error Log Started: "), run);
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
    ASSERT_TRUE(viewer.WaitForWindow("creature.mdl (1/1) - Tarnivel")) << viewer.Output();
    viewer.Key("d");
    PngImage shown;
    ASSERT_TRUE(viewer.Screenshot(shown));
    EXPECT_GT(CountPixels(shown, [](const uint8_t* p) { return p[1] > 40 && p[0] < p[1] / 4 && p[2] < p[1] / 4; }),
              500);
    EXPECT_EQ(CountPixels(shown, [](const uint8_t* p) { return p[0] + p[2] > 40; }), 0);
    viewer.Key("Escape");
    EXPECT_EQ(viewer.WaitForExit(), 0);
    // No false alarm: the palette the skins took is named, and nothing is an error.
    EXPECT_EQ(viewer.Output(), "The skins of \"" + pak + "/progs/creature.mdl\" take the palette of " + pak +
                                   "/gfx/palette.lmp\n");
    EXPECT_EQ(ReadText(empty.Path("errors.txt")).find("Error:"), std::string::npos);
}

TEST_F(EndToEnd, LightingRenderModeDepthAndSpaceChangeThePicture)
{
    ViewerSession viewer(dir.path(), {"figure.md2", "creature.mdl"});
    ASSERT_TRUE(viewer.WaitForWindow("creature.mdl (1/2) - Tarnivel"));
    viewer.Key("d");  // overlay off: only the models
    PngImage before, after;
    ASSERT_TRUE(viewer.Screenshot(before));
    // Each key, and how much at least the picture must change.
    for (auto key : {std::make_pair("l", 0.5), std::make_pair("w", 0.5), std::make_pair("b", 0.01),
                     std::make_pair("w w space", 0.01)}) {
        viewer.Key(key.first);
        Settle(0.35);
        ASSERT_TRUE(viewer.Screenshot(after));
        EXPECT_GT(ImageDifference(before, after), key.second) << key.first;
        before = after;
    }
    viewer.Key("Escape");
    EXPECT_EQ(viewer.WaitForExit(), 0);
}

TEST_F(EndToEnd, TheRightButtonMenuSetsAWhiteBackground)
{
    ViewerSession viewer(dir.path(), {});
    ASSERT_TRUE(viewer.WaitForWindow());
    viewer.Key("d");
    viewer.Click(100, 100, 3);
    Box menu, window;
    ASSERT_TRUE(viewer.MenuBox(menu));
    ASSERT_TRUE(viewer.WindowBox(window));
    // Hover "BG Color", the tenth entry; its sub-menu opens to the right,
    // level with it, and "White" is its first entry.
    int entryY = 100 + 25 * 9 + 12;
    viewer.MoveMouse(130, entryY);
    viewer.MoveMouse(menu.x + menu.width - window.x + 25, entryY);
    RunCommand("xdotool click 1");
    Settle(0.5);
    PngImage white;
    ASSERT_TRUE(viewer.Screenshot(white));
    for (auto point : {std::make_pair(5, 5), std::make_pair(630, 470), std::make_pair(600, 20)}) {
        const uint8_t* p = PixelAt(white, point.first, point.second);
        EXPECT_EQ(p[0] + p[1] + p[2], 3 * 255) << point.first << "," << point.second;
    }
    viewer.Key("Escape");
    EXPECT_EQ(viewer.WaitForExit(), 0);
}

// The screenshot holds what the window shows, and a render with no display
// at all holds the same: the same view, 20 degrees above, framed.
TEST_F(EndToEnd, AScreenshotAndARenderWithNoDisplayHoldWhatTheWindowShows)
{
    ViewerSession viewer(dir.path(), {"figure.md2"});
    ASSERT_TRUE(viewer.WaitForWindow("figure.md2 (2/2) - Tarnivel"));
    viewer.Key("d shift+Down shift+Down F asterisk");
    PngImage shown, written, rendered;
    ASSERT_TRUE(viewer.Screenshot(shown));
    ASSERT_TRUE(WaitForFile(dir.Path("capture_00.png"), 5));
    viewer.Key("asterisk");
    EXPECT_TRUE(WaitForFile(dir.Path("capture_01.png"), 5));
    viewer.Key("Escape");
    EXPECT_EQ(viewer.WaitForExit(), 0);
    ASSERT_TRUE(ReadPngFile(dir.Path("capture_00.png"), written));
    EXPECT_EQ(written.width, 640);
    EXPECT_EQ(written.height, 480);
    EXPECT_EQ(written.bitDepth, 8);
    EXPECT_EQ(written.colourType, 2);  // RGB, no alpha
    EXPECT_LT(ImageDifference(shown, written), 0.5);
    ProgramRun run = RunWithoutDisplay({TARNIVEL_BINARY, "--render", "rendered.png", "--background", "black",
                                        "figure.md2"},
                                       dir.path());
    ASSERT_EQ(run.status, 0) << run.errors;
    ASSERT_TRUE(ReadPngFile(dir.Path("rendered.png"), rendered));
    ASSERT_EQ(rendered.width, written.width);
    ASSERT_EQ(rendered.height, written.height);
    std::pair<int, int> counts = LitAndDiffering(written, rendered);
    EXPECT_GT(counts.first, 5000);  // not an all-black read of the front buffer
    EXPECT_LE(counts.second, counts.first / 100) << "pixels that differ, of " << counts.first << " lit";
}

TEST_F(EndToEnd, ACaptureSequenceAnsweredOnTheConsoleAndStoppedBySlash)
{
    ViewerSession viewer(dir.path(), {"figure.md2"});
    ASSERT_TRUE(viewer.WaitForWindow("figure.md2 (2/2) - Tarnivel"));
    viewer.Key("d slash");
    viewer.Input("base\n30\n2\nY\n");
    ASSERT_TRUE(WaitForFile(dir.Path("base_059.png"), 60));
    Settle(0.5);
    EXPECT_FALSE(FileExists(dir.Path("base_060.png")));
    viewer.Key("slash");
    viewer.Input("long\n30\n100\ny\n");
    ASSERT_TRUE(WaitForFile(dir.Path("long_005.png"), 30));
    viewer.Key("slash slash");  // stops it, then asks again: "n" aborts
    viewer.Input("other\n10\n1\nn\n");
    Settle(1.0);
    viewer.Key("Escape");
    ASSERT_EQ(viewer.WaitForExit(), 0);
    std::string output = viewer.Output();
    EXPECT_NE(output.find("This will produce 60 frames named from\n\tbase_000.png to base_059.png\n"),
              std::string::npos);
    for (int frame : {0, 1, 2, 59}) {
        char line[64];
        snprintf(line, sizeof line, "Wrote base_%03d.png at %d (ms)\n", frame, 33 * frame);
        EXPECT_NE(output.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(Occurrences(output, "Capture aborted\n"), 2);
    EXPECT_FALSE(FileExists(dir.Path("long_2999.png")));
    EXPECT_FALSE(FileExists(dir.Path("other_000.png")));
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
    for (size_t i = 1; i < changes.size(); ++i)
        EXPECT_TRUE(changes[i] - changes[i - 1] == 3 || changes[i] - changes[i - 1] == 4) << changes[i];
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
        EXPECT_NE(log.find(report + "Error: InitMd2Object: unable to open md2 file\n"
                                    "Error: AddModel: Unable to create the model object\n"),
                  std::string::npos)
            << log;
        EXPECT_NE(viewer.Output().find(report), std::string::npos);
    }
}

TEST_F(EndToEnd, PageKeysBrowseTheModelsOfAFolderAndOfAnArchiveFolder)
{
    TempDir models;
    writers::Md2Model twoSided = TinyMd2();
    twoSided.triangles.push_back({0, 2, 1, 0, 2, 1});
    twoSided.triangles.push_back({0, 3, 2, 0, 3, 2});
    twoSided.glCommands.clear();
    std::vector<uint8_t> quad = writers::WriteMd2(twoSided);
    models.Write("a.md2", quad);
    models.Write("b.mdl", {'I', 'D', 'P', 'O', 6, 0, 0, 0});  // broken: skipped with its report
    models.Write("c.md2", quad);
    models.Write("d.mdl", writers::WriteMdl(TinyMdl()));
    models.Write("notes.txt", {'x'});
    std::string pk3 = models.Write("game/pak.pk3", writers::WriteZip({{"models/x/one.md2", quad},
                                                                      {"models/x/two.md2", quad},
                                                                      {"models/y/three.md2", quad}}));
    ViewerSession viewer(dir.path(), {pk3 + "/models/x/two.md2", models.Path("a.md2")});
    ASSERT_TRUE(viewer.WaitForWindow("a.md2 (1/4) - Tarnivel")) << viewer.Output();
    viewer.Key("space d");  // the clock runs; the overlay is off
    const std::pair<const char*, const char*> steps[] = {
        {"", "a.md2 (1/4) - Tarnivel"},        {"Next", "c.md2 (3/4) - Tarnivel"},
        {"Prior", "a.md2 (1/4) - Tarnivel"},   {"Home", "a.md2 (1/4) - Tarnivel"},
        {"End", "d.mdl (4/4) - Tarnivel"},     {"Home", "a.md2 (1/4) - Tarnivel"},
        {"n", "two.md2 (2/2) - Tarnivel"},     {"Next", "one.md2 (1/2) - Tarnivel"},
        {"Next", "two.md2 (2/2) - Tarnivel"}};
    for (const auto& step : steps) {
        if (step.first[0])
            viewer.Key(step.first);
        EXPECT_EQ(viewer.Title(step.second), step.second) << step.first;
    }
    EXPECT_EQ(Occurrences(viewer.Output(), "OpenMdlFile: Couldn't read in the mdl header"), 2);
    EXPECT_EQ(Occurrences(viewer.Output(), "Error: NextModelFile: \"" + models.Path("b.mdl") +
                                               "\" does not load and is passed over"), 1);
    // Still animating: the picture moves on by itself (three frames loop, so
    // some picture of the next few differs from the first whatever the timing).
    PngImage before, after;
    ASSERT_TRUE(viewer.Screenshot(before));
    double moved = 0;
    for (int shot = 0; shot < 5 && moved <= 0.01; ++shot) {
        Settle(0.13);
        ASSERT_TRUE(viewer.Screenshot(after));
        moved = ImageDifference(before, after);
    }
    EXPECT_GT(moved, 0.01);
    viewer.Key("Escape");
    EXPECT_EQ(viewer.WaitForExit(), 0);
}

namespace {

// Pixels of one colour in a band of the window, as the window shows them or
// as the same text drawn here with the viewer's own text drawing shows it.
using Mask = std::vector<bool>;

Mask Band(const PngImage& image, int x0, int y0, int x1, int y1, int channel)
{
    Mask mask;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = PixelAt(image, x, y);
            mask.push_back(p[channel] > 200 && p[(channel + 1) % 3] < 40 && p[(channel + 2) % 3] < 40);
        }
    return mask;
}

// Drawn off-screen: a window of the test's own would lie over the viewer's.
Mask Drawn(const std::vector<std::pair<int, std::string>>& lines, int x, int x0, int y0, int x1, int y1, int channel)
{
    static OffscreenContext context;
    if (!context.context) {
        int argc = 1;
        char name[] = "tarnivel_e2e_tests";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);  // the bitmap fonts, with no window
        std::string error;
        if (!CreateOffscreenContext(640, 480, context, error))
            ADD_FAILURE() << error;
    }
    glViewport(0, 0, 640, 480);
    glDisable(GL_DEPTH_TEST), glDisable(GL_LIGHTING), glDisable(GL_TEXTURE_2D), glDisable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 640, 480, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(channel == 0, channel == 1, channel == 2);
    for (const auto& line : lines)
        DrawBitmapText(x, line.first, channel == 0 ? GLUT_BITMAP_9_BY_15 : GLUT_BITMAP_8_BY_13, "%s",
                       line.second.c_str());
    std::vector<uint8_t> rgb(640 * 480 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    Mask mask;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = &rgb[3 * ((479 - y) * 640 + x)];
            mask.push_back(p[channel] > 200);
        }
    return mask;
}

// The text as drawn here is what the window shows, give or take a row
// (the window's own rounding of where a line's baseline falls).
bool ShownWithin(const PngImage& image, const Mask& drawn, int x0, int y0, int x1, int y1, int channel)
{
    for (int dy = -1; dy <= 1; ++dy)
        if (Band(image, x0, y0 + dy, x1, y1 + dy, channel) == drawn)
            return true;
    return false;
}

}  // namespace

// A Quake III player is one thing to a user: its folder in the title,
// browsed among the players beside it, its animations on the status line,
// and every key on the help page.
TEST_F(EndToEnd, APlayerIsNamedBrowsedAndItsAnimationsShown)
{
    TempDir game;
    for (const char* player : {"tiny", "other"})
        WriteTinyPlayer(game, std::string("baseq3/models/players/") + player);
    WriteTinyWeapon(game, "baseq3/models/weapons2/gun");
    ViewerSession viewer(dir.path(), {"--weapon", "gun", game.Path("baseq3/models/players/tiny")});
    ASSERT_TRUE(viewer.WaitForWindow("tiny (2/2) - Tarnivel")) << viewer.Output();
    PngImage image;
    ASSERT_TRUE(viewer.Screenshot(image));  // the help page
    const std::vector<std::pair<int, std::string>> later = {
        {120, "n   Next Model"}, {175, "F   Frame Current Model"}, {230, "e   Export Model"},
        {375, "y/Y  Legs Animation"}, {390, "u/U  Torso Animation"}, {405, "PgDn/PgUp Home/End Files"}};
    for (const auto& line : later)
        EXPECT_TRUE(ShownWithin(image, Drawn({line}, 440, 440, line.first - 11, 640, line.first + 3, 2), 440,
                                line.first - 11, 640, line.first + 3, 2))
            << line.second;
    viewer.Key("h u");  // the status lines; the torso's next animation
    Settle();
    ASSERT_TRUE(viewer.Screenshot(image));
    EXPECT_TRUE(ShownWithin(image, Drawn({{50, "LEGS_IDLE   TORSO_STAND2"}}, 10, 0, 36, 400, 54, 0), 0, 36, 400, 54, 0));
    viewer.Key("Next");
    EXPECT_EQ(viewer.Title("other (1/2) - Tarnivel"), "other (1/2) - Tarnivel");
    viewer.Key("Escape");
    EXPECT_EQ(viewer.WaitForExit(), 0);
}

// "Export Model" on a model whose names are bytes writes it; one that cannot
// be written is reported, and the viewer goes on either way.
TEST_F(EndToEnd, AnExportThatFailsLeavesTheViewerRunning)
{
    writers::Md3Model model = FlatQuad("models/flag");
    model.frameNames = {"\xC9\xAC-\xC2\xA5 d\xC2\xC8\x92\xFF\x01"};
    dir.Write("flags.md3", writers::WriteMd3(model));
    ViewerSession viewer(dir.path(), {"flags.md3"});
    ASSERT_TRUE(viewer.WaitForWindow("flags.md3 (3/3) - Tarnivel"));
    viewer.Key("e");
    viewer.Input(dir.Path("flags.glb") + "\n");
    EXPECT_TRUE(WaitForFile(dir.Path("flags.glb"), 20));
    viewer.Key("e");
    viewer.Input(dir.Path("no/such/folder/flags.glb") + "\n");
    Settle(1.0);
    EXPECT_TRUE(viewer.Running());
    viewer.Key("Escape");
    EXPECT_EQ(viewer.WaitForExit(), 0);
    EXPECT_NE(ReadText(dir.Path("errors.txt")).find("Error: ExportModel: " + dir.Path("no/such/folder/flags.glb")),
              std::string::npos)
        << ReadText(dir.Path("errors.txt"));
}
