#include <gtest/gtest.h>

#include "capture/screenshot.h"
#include "lighting/materials.h"
#include "scene/model_list.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "support/image_files.h"
#include "support/test_files.h"
#include "viewer/display.h"

namespace {

class Overlay : public ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        snprintf(viewer.startDirectory, sizeof viewer.startDirectory, "%s/", dir.path().c_str());
    }
    // What the window shows, read from the frame before its swap.
    PngImage Frame()
    {
        TakeScreenShot();
        Printed(Display);
        PngImage image;
        char name[32];
        snprintf(name, sizeof name, "capture_%02d.png", (viewer.screenshotNumber + 99) % 100);
        EXPECT_TRUE(ReadPngFile(dir.Path(name), image));
        return image;
    }
};

// Pixels of a rectangle whose colour is mostly the given channel.
int CountColoured(const PngImage& image, int x0, int y0, int x1, int y1, int channel)
{
    auto coloured = [channel](const uint8_t* p) {
        return p[channel] > 150 && p[(channel + 1) % 3] < 80 && p[(channel + 2) % 3] < 80;
    };
    return CountPixels(image, coloured, x0, y0, x1, y1);
}

}  // namespace

TEST_F(Overlay, TheHelpPageDarkensTheSceneUnderABlueTitle)
{
    SetBackgroundColour(0);  // white
    PngImage help = Frame();
    const uint8_t* corner = PixelAt(help, 620, 5);
    EXPECT_NEAR(corner[0], 77, 3);  // 30 percent of white shows through
    EXPECT_NEAR(corner[2], 77, 3);
    EXPECT_GT(CountColoured(help, 295, 12, 345, 34, 2), 20);  // "Help"
    EXPECT_EQ(CountColoured(help, 295, 12, 345, 34, 0), 0);
    viewer.showOverlay = false;
    EXPECT_EQ(PixelAt(Frame(), 620, 5)[0], 255);
}

TEST_F(Overlay, StatusLinesSitAtTheBottomAndTheSkinLineNeedsTwoSkins)
{
    viewer.showHelp = false;
    PngImage plain = Frame();
    EXPECT_GT(CountColoured(plain, 0, 420, 640, 480, 0), 200);
    EXPECT_EQ(CountColoured(plain, 0, 0, 640, 400, 0), 0);

    ASSERT_NE(Load(TinyMdl(3, 1), "one.mdl"), nullptr);
    ModelObject* model = viewer.currentModel;
    model->placement.position[2] = 1000;  // out of sight: only text in red
    PngImage one = Frame();
    EXPECT_GT(CountColoured(one, 5, 8, 200, 24, 0), 20);  // "   0: frame1"
    EXPECT_EQ(CountColoured(one, 5, 25, 200, 39, 0), 0);
    RemoveModel();

    ASSERT_NE(Load(TinyMdl(3, 2), "two.mdl"), nullptr);
    viewer.currentModel->placement.position[2] = 1000;
    viewer.currentModel->animMethod = 3;
    PngImage two = Frame();
    EXPECT_GT(CountColoured(two, 5, 25, 200, 39, 0), 20);  // "skin: skin 0"
    EXPECT_GT(CountColoured(two, 500, 14, 640, 28, 0), 20);  // "Custom Sequence:"
}
