#pragma once

// What the skeletal targets share: every part of a drawn model posed at
// every frame (the first 64) with every method, so every index the file
// gave is used as the viewer uses it.
#include <memory>
#include <vector>

#include "geometry/pose.h"

inline void PoseEveryFrame(const DrawnModel& drawn)
{
    std::vector<float> positions, normals;
    std::vector<DecodedVertex> vertices;
    for (size_t p = 0; p < drawn.parts.size(); ++p) {
        std::shared_ptr<ComputedNormals> computed;
        for (int frame = 0; frame < drawn.frameCount && frame < 64; ++frame) {
            PoseFrame(drawn.parts[p], frame, true, positions, normals);
            const int window[4] = {frame, frame, frame + 1 < drawn.frameCount ? frame + 1 : 0, 0};
            for (uint8_t method = 0; method < 3; ++method)
                PosePart(drawn.parts[p], static_cast<int>(p), window, 0.5f, method, true, computed, nullptr,
                         vertices);
        }
    }
}
