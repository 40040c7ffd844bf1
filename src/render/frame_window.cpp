#include "render/frame_window.h"

#include "state/viewer_state.h"

int WindowFrame(const ModelObject* model, int frame)
{
    return frame >= 0 && frame < model->numFrames ? frame : 0;
}

bool ClockRuns()
{
    return viewer.animating || viewer.captureFramesLeft > 0;
}

int DrawnSkin(const ModelObject* model)
{
    int skin = model->currentSkin, picture = model->animatedSkin;
    if (ClockRuns() && picture >= 0 && picture < model->numSkins && skin >= 0 && skin < model->numSkins &&
        model->skins[skin].group >= 0 && model->skins[picture].group == model->skins[skin].group)
        return picture;
    return skin;
}
