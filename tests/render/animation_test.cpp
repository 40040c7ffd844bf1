#include <gtest/gtest.h>

#include "render/animation.h"
#include "render/draw.h"
#include "scene/model_list.h"
#include "state/viewer_state.h"
#include "support/feedback.h"
#include "support/gl_context.h"
#include "support/test_files.h"

namespace {

class Animation : public ViewerTest {
protected:
    std::vector<int> Steps(ModelObject* model, int count)
    {
        std::vector<int> shown;
        for (int i = 0; i < count; ++i) {
            AdvanceModelFrame(model, 100);
            shown.push_back(model->currentFrame);
        }
        return shown;
    }
};

const std::vector<std::string> kSequences = {"stand1", "stand2", "stand3", "run1", "run2"};

}  // namespace

TEST(FrameNumbers, TheFirstDigitsModHundredOrZero)
{
    const char unterminated[16] = {'f', 'r', 'a', 'm', 'e', 'e', 'e', 'e', 'e', 'e', 'e', 'e', 'e', 'e', '9', '9'};
    const std::pair<const char*, int> cases[] = {{"run4", 4}, {"stand01", 1}, {"pain203", 3},
                                                 {"pose", 0}, {"a1b2", 1},    {unterminated, 99}};
    for (const auto& c : cases)
        EXPECT_EQ(FrameNumber(c.first), c.second) << c.second;
}

TEST_F(Animation, EachMethodChoosesItsNextFrame)
{
    const struct {
        std::vector<std::string> names;
        uint8_t method;
        std::vector<int> shown;
    } cases[] = {{kSequences, 1, {1, 2, 3, 4, 0, 1}},
                 {kSequences, 2, {1, 2, 0, 1, 2, 0, 1}},     // never reaches run1
                 {kSequences, 0, {1, 1, 1}},                 // rests on nextFrame
                 {{"a1", "a2", "a3", "a4"}, 3, {1, 1}},      // custom, no entries: rests
                 {{"walk3", "walk4", "idle"}, 2, {1, 0, 1, 0}}};  // a sequence from 3 stays in range
    for (const auto& c : cases) {
        ModelObject* model = Load(TinyMd2(c.names));
        model->animMethod = c.method;
        EXPECT_EQ(Steps(model, static_cast<int>(c.shown.size())), c.shown) << int(c.method);
        RemoveModel();
    }
    ModelObject* model = Load(TinyMd2({"a1", "a2", "a3", "a4"}));
    model->animMethod = 3;
    model->currentFrame = 3;
    AddCustomFrame(-1);  // the current frame
    AddCustomFrame(0);
    AddCustomFrame(2);
    EXPECT_EQ(model->customFrameIndex, 2);
    EXPECT_EQ(Steps(model, 5), (std::vector<int>{1, 2, 3, 0, 2}));
    // Edits stay in bounds.
    DeleteAllCustomFrames();
    AddCustomFrame(0);
    AddCustomFrame(1);
    DeleteCustomFrame();
    EXPECT_EQ(model->numCustomFrames, 1);
    EXPECT_EQ(model->customFrameIndex, 0);
    DeleteAllCustomFrames();
    DeleteCustomFrame();
    EXPECT_EQ(model->numCustomFrames + model->customFrameIndex, 0);
    ErrorCapture errors;
    for (int i = 0; i < 129; ++i)
        AddCustomFrame(1);
    EXPECT_EQ(model->numCustomFrames, 128);
    EXPECT_EQ(errors.Count("Maximum number of custom frames (128) exceeded"), 1);
    DeleteAllCustomFrames();
    MakeRandomSequence(20);
    ASSERT_EQ(model->numCustomFrames, 20);
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(model->customFrames[i] >= 0 && model->customFrames[i] <= 4);  // 0 to 4, or 0 to numFrames
}

TEST_F(Animation, StepsAndJumpsBetweenSequences)
{
    ModelObject* model = Load(TinyMd2(kSequences));
    // Each command and the current frame after it: a step forward counts from
    // nextFrame, back from currentFrame; a jump back from inside a sequence
    // reaches its start, from a start the previous sequence's.
    const std::pair<void (*)(float), int> moves[] = {
        {AdvanceOneFrame, 2}, {ReverseOneFrame, 1}, {ReverseOneFrame, 0}, {ReverseOneFrame, 4},
        {ChangeSequence, 3},  {ChangeSequence, 0}};
    const float arguments[] = {0, 0, 0, 0, -1, -1};
    for (int i = 0; i < 6; ++i) {
        moves[i].first(arguments[i]);
        EXPECT_EQ(model->currentFrame, moves[i].second) << i;
        EXPECT_EQ(model->nextFrame, moves[i].second) << i;
    }
    ChangeSequence(1);
    ChangeSequence(1);
    EXPECT_EQ(model->prevPrevFrame, 0);
}

TEST_F(Animation, TheClockStepsOnTimeLateOrAtZeroPeriod)
{
    viewer.interpolationMethod = 1;
    ModelObject* model = Load(TinyMd2({"a1", "a2", "a3", "a4", "a5", "a6"}));
    // The time, the frame period, then the current frame, the last step's time
    // and the frame drawn (the vertex-1 x coordinate is 10 + 4f for frame f).
    const struct {
        int now;
        float period;
        int current, lastAdvance;
        float drawn;
    } ticks[] = {{50, 0.1f, 0, 0, 0.5f},       // half a period: redrawn between frames 0 and 1
                 {150, 0.1f, 1, 100, 1.5f},    // 1.5 periods: one step, drawn at 0.5
                 {350, 0.1f, 2, 350, 2.0f},    // 2.5 periods late: fraction 0, clock reset
                 {351, 0.0f, 3, 351, 3.0f}};   // a period of 0: a step, at fraction 0
    for (const auto& t : ticks) {
        viewer.animFrameTime = t.period;
        AnimateModel(model, t.now);
        EXPECT_EQ(model->currentFrame, t.current) << t.now;
        EXPECT_EQ(model->lastAdvanceTime, t.lastAdvance) << t.now;
        std::vector<FeedbackPolygon> polygons = CaptureList(model->displayList);
        ASSERT_FALSE(polygons.empty());
        EXPECT_NEAR((polygons[0][1].position[2] - 20.0f) / 4.0f, t.drawn, 1e-3) << t.now;
    }
}
