#pragma once

// What the vertex-animated targets share: a window of frames drawn with
// every method and every tag blended. Without a GL context the drawing
// calls do nothing, but every index the file gave is used as the viewer
// uses it.
#include <string>
#include <vector>

#include "model/model.h"
#include "render/draw.h"
#include "render/tags.h"
#include "state/viewer_state.h"

inline void DrawEveryWay(ModelObject& model)
{
    std::vector<std::string> tags;
    for (int t = 0; t < model.drawn->tagCount; ++t)
        tags.push_back(model.drawn->tags[t].name);
    model.prevPrevFrame = 0, model.prevFrame = model.numFrames - 1, model.currentFrame = 1, model.nextFrame = 7;
    for (uint8_t method = 0; method < 3; ++method) {
        viewer.interpolationMethod = method;
        viewer.lightingEnabled = true;
        viewer.remeshing = method == 2;
        viewer.remeshThreshold = 1;
        UpdateModelFrameArrays(&model, 0.5f);
        float matrix[16];
        for (const std::string& tag : tags)
            TagMatrix(&model, tag, matrix);
    }
}
