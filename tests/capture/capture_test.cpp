#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "capture/screenshot.h"
#include "formats/png_writer.h"
#include "lighting/materials.h"
#include "scene/model_list.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "support/image_files.h"
#include "support/test_files.h"
#include "viewer/display.h"
#include "viewer/startup.h"

namespace {

class Capture : public ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        snprintf(viewer.startDirectory, sizeof viewer.startDirectory, "%s/", dir.path().c_str());
        standIn.answer = dir.Path("base");
    }
    void TearDown() override
    {
        if (answers)
            fclose(answers);
        ViewerTest::TearDown();
    }
    // The capture dialogue's console answers.
    void Answer(const std::string& text)
    {
        if (answers)
            fclose(answers);
        answers = tmpfile();
        fputs(text.c_str(), answers);
        rewind(answers);
        consoleInput = answers;
    }
    std::string Shoot()
    {
        TakeScreenShot();
        return Printed(Display);
    }
    FILE* answers = nullptr;
};

}  // namespace

TEST_F(Capture, ScreenshotsAreNumberedRgbPngsOfTheWindow)
{
    SetBackgroundColour(3);  // red
    viewer.showOverlay = false;
    EXPECT_EQ(Shoot(), "Taking a screen shot " + dir.Path("capture_00.png") + " \n");
    PngImage image;
    ASSERT_TRUE(ReadPngFile(dir.Path("capture_00.png"), image));
    EXPECT_EQ(image.pixels[0] * 1000 + image.pixels[1], 255000);
    viewer.showOverlay = true;  // a dot per row written
    EXPECT_EQ(Shoot().find("Taking a screen shot " + dir.Path("capture_01.png") + " " + std::string(480, '.') + "\n"),
              0u);
    viewer.screenshotNumber = 99;
    Shoot();
    EXPECT_TRUE(FileExists(dir.Path("capture_99.png")));
    EXPECT_EQ(viewer.screenshotNumber, 0);
    // A folder that cannot be written keeps the number.
    snprintf(viewer.startDirectory, sizeof viewer.startDirectory, "%s/missing/", dir.path().c_str());
    Shoot();
    EXPECT_EQ(viewer.screenshotNumber, 0);
    png_bytep rows[1] = {nullptr};
    EXPECT_EQ(WritePng(rows, 1, 1, "/nonexistent/folder/x.png"), 1);
}

TEST_F(Capture, AnOddWidthWritesWholeRowsOfPixels)
{
    glutReshapeWindow(641, 480);
    for (int i = 0; i < 20; ++i)
        glutMainLoopEvent();
    Reshape(641, 480);
    Shoot();
    PngImage image;
    ASSERT_TRUE(ReadPngFile(dir.Path("capture_00.png"), image));
    EXPECT_EQ(image.width, 641);
    EXPECT_EQ(image.rowBytes, 1923u);
    glutReshapeWindow(640, 480);
    for (int i = 0; i < 20; ++i)
        glutMainLoopEvent();
}

TEST_F(Capture, BadConsoleAnswersArmNothing)
{
    const struct {
        const char* answers;
        const char* report;
    } cases[] = {
        {"abc\n", "StartCaptureSequence: \"abc\" is not a frame rate (a whole number of at least 1)"},
        {"0\n", "\"0\" is not a frame rate"},
        {"2.5\n", "\"2.5\" is not a frame rate"},
        {"30\nsoon\n", "StartCaptureSequence: \"soon\" is not a duration in seconds"},
        {"30\nnan\n", "\"nan\" is not a duration"},
        {"", "\"\" is not a frame rate"},
    };
    for (const auto& c : cases) {
        Answer(c.answers);
        ErrorCapture errors;
        Printed([] { CaptureSequence(); });
        EXPECT_TRUE(errors.Has(c.report)) << errors.Text();
        EXPECT_EQ(viewer.captureFramesLeft, 0);
    }
    Answer("30\n0.01\nYes\n");  // no frame at all: "_-01" is the last name, and nothing is armed
    EXPECT_NE(Printed([] { CaptureSequence(); }).find("_-01.png"), std::string::npos);
    EXPECT_EQ(viewer.captureFramesLeft, 0);
}

// The clock starts below the model's last step, so it steps at once, and
// again once 100 ms of simulated time have passed (at 132, not 99).
TEST_F(Capture, ASequenceRunsOnTheSimulatedClock)
{
    ModelObject* model = Load(TinyMd2({"a1", "a2", "a3", "a4"}));
    ASSERT_NE(model, nullptr);
    model->lastAdvanceTime = 5000;
    Answer("30\n0.2\ny\n");
    std::vector<int> frames;
    std::string console = Printed([&frames, model] {
        CaptureSequence();
        EXPECT_EQ(viewer.captureFramesLeft, 6);
        while (viewer.captureFramesLeft > 0) {
            Idle();
            frames.push_back(model->currentFrame);
        }
    });
    EXPECT_NE(console.find("Wrote " + standIn.answer + "_005.png at 165 (ms)\n"), std::string::npos);
    EXPECT_EQ(standIn.kind, ChooserKind::kSave);
    EXPECT_EQ(frames, (std::vector<int>{1, 1, 1, 1, 2, 2}));
}
