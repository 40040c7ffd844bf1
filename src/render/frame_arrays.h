#pragma once

#include <memory>
#include <vector>

#include "geometry/frame_layout.h"
#include "geometry/pose.h"

// One frame ready for the GL, in flat arrays: positions and normals of the
// layout's array vertices in OpenGL's axes; or, for remeshed geometry (no
// layout), triangles whose vertices are interleaved as s, t, normal,
// position (OpenGL's T2F_N3F_V3F, the quickest to compile).
struct FrameGeometry {
    std::shared_ptr<const FrameLayout> layout;
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> interleaved;
    bool sendNormals = false;
    bool sendTexCoords = false;
    // The window these arrays were last decoded from, kept while only t moves.
    PoseCache pose;
};

// Sends the geometry through client arrays: into the display list being
// compiled, or drawn at once. Arrays left out send nothing, as immediate
// mode does when a value is not given.
void DrawFrameGeometry(const FrameGeometry& geometry);
