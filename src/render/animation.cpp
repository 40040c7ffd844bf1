#include "render/animation.h"

#include <cmath>
#include <cstdlib>

#include "looks/skins.h"
#include "platform/error_log.h"
#include "render/draw.h"
#include "render/frame_window.h"
#include "state/viewer_state.h"

namespace {

int FrameNumberAt(const ModelObject* model, int frame)
{
    return FrameNumber(model->frameNames[WindowFrame(model, frame)].text);
}

// A player part plays its animation: its frames in turn, then the last
// loop frames again and again, or (with none) its last frame held.
int NextAnimationFrame(const ModelObject* model, int next)
{
    const PlayerAnimation& animation = model->sequences[model->sequence];
    int end = animation.first + animation.count;
    if (next < animation.first || next >= end)
        return animation.first;
    if (next + 1 < end)
        return next + 1;
    return animation.loop > 0 ? end - animation.loop : end - 1;
}

int ChooseNextFrame(const ModelObject* model)
{
    int next = model->nextFrame;
    if (model->sequence >= 0 && model->sequence < static_cast<int>(model->sequences.size()))
        return NextAnimationFrame(model, next);
    switch (model->animMethod) {
    case kAnimNone:
        return next;
    case kAnimAllFrames:
        return next + 1;
    case kAnimSameSequence:
        if (next + 1 < model->numFrames)
            return next + FrameNumberAt(model, next + 1) - FrameNumberAt(model, next);
        return next + 1 - FrameNumberAt(model, next);
    case kAnimCustom:
        return next;  // the custom list is read by the caller
    default:
        ReportError("Invalid animation method");
        return next;
    }
}

void SetWindow(ModelObject* model, int frame)
{
    model->prevPrevFrame = model->prevFrame = model->currentFrame = model->nextFrame = frame;
    UpdateModelDisplayList(model, 0.0f);
}

}  // namespace

float FramePeriod(const ModelObject* model)
{
    float period = 1000.0f * viewer.animFrameTime;
    if (model->sequence >= 0 && model->sequence < static_cast<int>(model->sequences.size()))
        period = period / 100.0f * 1000.0f / model->sequences[model->sequence].fps;  // the clock's speed kept
    return period;
}

int FrameNumber(const char* name)
{
    int i = 0;
    while (i < 16 && name[i] && (name[i] < '0' || name[i] > '9'))
        ++i;
    int number = 0;
    for (; i < 16 && name[i] >= '0' && name[i] <= '9'; ++i)
        number = (number * 10 + (name[i] - '0')) % 100;
    return number;
}

int RandomInt(int low, int high)
{
    return low + static_cast<int>((high - low + 1) * (rand() % 32768) / 32768.0);
}

void AdvanceModelFrame(ModelObject* model, uint32_t elapsedMs)
{
    model->prevPrevFrame = model->prevFrame;
    model->prevFrame = model->currentFrame;
    model->currentFrame = model->nextFrame;
    int next = ChooseNextFrame(model);
    if (model->animMethod == kAnimCustom && model->numCustomFrames > 0) {
        next = model->customFrames[model->customFrameIndex];
        if (++model->customFrameIndex >= model->numCustomFrames)
            model->customFrameIndex = 0;
    }
    // Sequences that do not start at 1 can step below 0.
    model->nextFrame = next >= 0 && next < model->numFrames ? next : 0;

    float period = FramePeriod(model);
    float fraction = 0.0f;
    if (period > 0.0f) {
        float elapsed = static_cast<float>(elapsedMs);
        if (elapsed > 2 * period)
            elapsed = std::trunc(period);
        fraction = elapsed / period - 1.0f;
    }
    if (ClockRuns() && viewer.interpolationMethod != kInterpNone)
        UpdateModelFrameArrays(model, fraction);  // redrawn again before the next display
    else
        UpdateModelDisplayList(model, fraction);
}

void AnimateModel(ModelObject* model, int32_t now)
{
    viewer.shaderTime = now / 1000.0;
    model->animatedSkin = SkinGroupPicture(model, now / 1000.0);
    uint32_t elapsed = static_cast<uint32_t>(now) - static_cast<uint32_t>(model->lastAdvanceTime);
    float period = FramePeriod(model);
    if (static_cast<float>(elapsed) >= period) {
        AdvanceModelFrame(model, elapsed);
        if (static_cast<float>(elapsed) < 2 * period)
            model->lastAdvanceTime = static_cast<int32_t>(model->lastAdvanceTime + double(period));
        else
            model->lastAdvanceTime = now;
    } else if (viewer.interpolationMethod != kInterpNone) {
        float fraction = static_cast<float>(elapsed) / period;
        if (ClockRuns())
            UpdateModelFrameArrays(model, fraction);
        else
            UpdateModelDisplayList(model, fraction);
    }
}

void StartStopAnimation(float)
{
    viewer.animating = !viewer.animating;
}

void ChangeAnimationSpeed(float amount)
{
    viewer.animFrameTime += amount * 0.01f;
}

void ResetAnimationSpeed(float frameTime)
{
    viewer.animFrameTime = frameTime;
}

void ToggleAnimationMethod(float)
{
    if (ModelObject* model = viewer.currentModel)
        model->animMethod = model->animMethod >= kAnimCustom ? 0 : model->animMethod + 1;
}

void AdvanceOneFrame(float)
{
    ModelObject* model = viewer.currentModel;
    if (!model)
        return;
    int frame = model->nextFrame + 1;
    SetWindow(model, frame >= model->numFrames || frame < 0 ? 0 : frame);
}

void ReverseOneFrame(float)
{
    ModelObject* model = viewer.currentModel;
    if (!model)
        return;
    int frame = model->currentFrame - 1;
    SetWindow(model, frame < 0 || frame >= model->numFrames ? model->numFrames - 1 : frame);
}

void ChangeSequence(float step)
{
    ModelObject* model = viewer.currentModel;
    if (!model)
        return;
    int i = WindowFrame(model, model->currentFrame);
    int delta = static_cast<int>(step);
    for (int tries = 0; tries <= model->numFrames; ++tries) {
        i += delta;
        if (i >= model->numFrames)
            i = 0;
        if (i < 0)
            i = model->numFrames - 1;
        if (FrameNumber(model->frameNames[i].text) == 1)
            break;
    }
    SetWindow(model, i);
}

void AddCustomFrame(float frame)
{
    ModelObject* model = viewer.currentModel;
    if (!model)
        return;
    if (frame == -1.0f)
        frame = static_cast<float>(model->currentFrame);
    if (model->numCustomFrames >= model->maxCustomFrames) {
        ReportError("Maximum number of custom frames (%d) exceeded", model->maxCustomFrames);
        return;
    }
    model->customFrames[model->numCustomFrames] = static_cast<int32_t>(frame);
    model->customFrameIndex = model->numCustomFrames;
    model->numCustomFrames++;
}

void MakeRandomSequence(float count)
{
    ModelObject* model = viewer.currentModel;
    if (!model)
        return;
    for (int i = 0; i < count; ++i)
        AddCustomFrame(static_cast<float>(i % 2 == 0 ? RandomInt(0, 4) : RandomInt(0, model->numFrames)));
}

void DeleteCustomFrame(float)
{
    ModelObject* model = viewer.currentModel;
    if (!model)
        return;
    if (model->numCustomFrames > 0)
        model->numCustomFrames--;
    model->customFrameIndex = model->numCustomFrames > 0 ? model->numCustomFrames - 1 : 0;
}

void DeleteAllCustomFrames(float)
{
    if (ModelObject* model = viewer.currentModel)
        model->numCustomFrames = 0;
}
