#include <gtest/gtest.h>

#include "core/viewer_state.h"
#include "models/model_list.h"
#include "render/animation.h"
#include "render/draw.h"
#include "support/feedback.h"
#include "support/gl_context.h"
#include "support/test_files.h"

namespace {

class Animation : public ViewerTest {
protected:
    ModelObject* Load(const std::vector<std::string>& names)
    {
        return AddModel(dir.Write("m.md2", writers::WriteMd2(TinyMd2(names))).c_str());
    }
    std::vector<int> Steps(ModelObject* model, int count)
    {
        std::vector<int> shown;
        for (int i = 0; i < count; ++i) {
            AdvanceModelFrame(model, 100);
            shown.push_back(model->currentFrame);
        }
        return shown;
    }
    // The vertex-1 file x coordinate drawn now (10 + 4f for frame f).
    float DrawnFrame(ModelObject* model)
    {
        std::vector<FeedbackPolygon> polygons = CaptureList(model->displayList);
        if (polygons.empty() || polygons[0].size() < 2)
            return -1.0f;
        return (polygons[0][1].position[2] - 20.0f) / 4.0f;
    }
    TempDir dir;
};

}  // namespace

TEST(FrameNumbers, TheFirstDigitsModHundredOrZero)
{
    EXPECT_EQ(FrameNumber("run4"), 4);
    EXPECT_EQ(FrameNumber("stand01"), 1);
    EXPECT_EQ(FrameNumber("pain203"), 3);
    EXPECT_EQ(FrameNumber("pose"), 0);
    EXPECT_EQ(FrameNumber("a1b2"), 1);
    const char unterminated[16] = {'f', 'r', 'a', 'm', 'e', 'e', 'e', 'e', 'e', 'e', 'e', 'e', 'e', 'e', '9', '9'};
    EXPECT_EQ(FrameNumber(unterminated), 99);
}

TEST_F(Animation, AllFramesAndSameSequenceMethods)
{
    ModelObject* model = Load({"stand1", "stand2", "stand3", "run1", "run2"});
    EXPECT_EQ(Steps(model, 6), (std::vector<int>{1, 2, 3, 4, 0, 1}));
    RemoveModel();
    model = Load({"stand1", "stand2", "stand3", "run1", "run2"});
    model->animMethod = 2;
    EXPECT_EQ(Steps(model, 7), (std::vector<int>{1, 2, 0, 1, 2, 0, 1}));
    model->animMethod = 0;
    std::vector<int> rest = Steps(model, 3);
    EXPECT_EQ(rest[1], rest[0]);
    EXPECT_EQ(rest[2], rest[0]);
}

TEST_F(Animation, SequencesNotStartingAtOneStayInRange)
{
    ModelObject* model = Load({"walk3", "walk4", "idle"});
    model->animMethod = 2;
    for (int i = 0; i < 10; ++i) {
        AdvanceModelFrame(model, 100);
        EXPECT_GE(model->nextFrame, 0);
        EXPECT_LT(model->nextFrame, 3);
    }
}

TEST_F(Animation, CustomSequencePlaysItsEntriesInTurn)
{
    ModelObject* model = Load({"a1", "a2", "a3", "a4"});
    model->animMethod = 3;
    EXPECT_EQ(Steps(model, 2), (std::vector<int>{1, 1}));  // no entries: rests on nextFrame
    model->currentFrame = 3;
    AddCustomFrame(-1);  // the current frame
    AddCustomFrame(0);
    AddCustomFrame(2);
    EXPECT_EQ(model->customFrameIndex, 2);
    EXPECT_EQ(Steps(model, 5), (std::vector<int>{1, 2, 3, 0, 2}));

    DeleteCustomFrame();
    EXPECT_EQ(model->numCustomFrames, 2);
    EXPECT_EQ(model->customFrameIndex, 1);
    DeleteAllCustomFrames();
    EXPECT_EQ(model->numCustomFrames, 0);
    DeleteCustomFrame();
    EXPECT_EQ(model->numCustomFrames, 0);
    EXPECT_EQ(model->customFrameIndex, 0);

    ErrorCapture errors;
    for (int i = 0; i < 129; ++i)
        AddCustomFrame(1);
    EXPECT_EQ(model->numCustomFrames, 128);
    EXPECT_EQ(errors.Count("Maximum number of custom frames (128) exceeded"), 1);
    DeleteAllCustomFrames();
    MakeRandomSequence(20);
    ASSERT_EQ(model->numCustomFrames, 20);
    for (int i = 0; i < 20; ++i) {
        EXPECT_GE(model->customFrames[i], 0);
        EXPECT_LE(model->customFrames[i], 4);  // 0 to 4, or 0 to numFrames (4)
    }
}

TEST_F(Animation, StepsAndSequenceJumps)
{
    ModelObject* model = Load({"stand1", "stand2", "stand3", "run1", "run2"});
    AdvanceOneFrame();  // from nextFrame 1
    EXPECT_EQ(model->currentFrame, 2);
    EXPECT_EQ(model->nextFrame, 2);
    ReverseOneFrame();
    ReverseOneFrame();
    ReverseOneFrame();
    EXPECT_EQ(model->currentFrame, 4);  // before the first, the last
    ChangeSequence(-1);
    EXPECT_EQ(model->currentFrame, 3);  // inside a sequence: its start
    ChangeSequence(-1);
    EXPECT_EQ(model->currentFrame, 0);  // from a start: the previous sequence
    ChangeSequence(1);
    EXPECT_EQ(model->currentFrame, 3);
    ChangeSequence(1);
    EXPECT_EQ(model->prevPrevFrame, 0);
    EXPECT_EQ(model->nextFrame, 0);
}

TEST_F(Animation, TheClockStepsOnTimeLateOrAtZeroPeriod)
{
    viewer.interpolationMethod = 1;
    ModelObject* model = Load({"a1", "a2", "a3", "a4", "a5", "a6"});
    AnimateModel(model, 50);  // half a period: redrawn between frames 0 and 1
    EXPECT_EQ(model->currentFrame, 0);
    EXPECT_NEAR(DrawnFrame(model), 0.5f, 1e-3);
    AnimateModel(model, 150);  // 1.5 periods: one step, drawn at 0.5
    EXPECT_EQ(model->currentFrame, 1);
    EXPECT_EQ(model->lastAdvanceTime, 100);
    EXPECT_NEAR(DrawnFrame(model), 1.5f, 1e-3);
    AnimateModel(model, 350);  // 2.5 periods late: fraction 0, clock reset
    EXPECT_EQ(model->currentFrame, 2);
    EXPECT_EQ(model->lastAdvanceTime, 350);
    EXPECT_NEAR(DrawnFrame(model), 2.0f, 1e-3);

    viewer.animFrameTime = 0.0f;
    AnimateModel(model, 351);
    EXPECT_EQ(model->currentFrame, 3);
    EXPECT_EQ(model->lastAdvanceTime, 351);
    EXPECT_NEAR(DrawnFrame(model), 3.0f, 1e-3);
}

TEST_F(Animation, SpeedAndMethodCommands)
{
    ChangeAnimationSpeed(-1);
    EXPECT_NEAR(viewer.animFrameTime, 0.09f, 1e-6);
    ChangeAnimationSpeed(10);
    EXPECT_NEAR(viewer.animFrameTime, 0.19f, 1e-6);
    ResetAnimationSpeed(0.1f);
    EXPECT_EQ(viewer.animFrameTime, 0.1f);
    ToggleAnimationMethod();  // no model: nothing
    ModelObject* model = Load({"a1", "a2"});
    for (int expected : {2, 3, 0, 1}) {
        ToggleAnimationMethod();
        EXPECT_EQ(model->animMethod, expected);
    }
    StartStopAnimation();
    EXPECT_TRUE(viewer.animating);
}
