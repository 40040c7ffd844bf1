#pragma once

// The one way to a part's positions and normals at any frame, or at any
// time between the frames of a window.
#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/drawn_model.h"
#include "geometry/interpolate.h"
#include "geometry/normals.h"

struct DecodedVertex {
    float position[3];
    float normal[3];
};

// The cubic terms of every value of the window last posed: kept while the
// window stays and only t moves.
struct PoseCache {
    std::vector<CubicTerms> cubicTerms;
    const void* cubicWindow[4] = {};
    bool cubicNormals = false;
};

// Every vertex of the part at fraction t (cut to 1) between the window's
// frames (prevPrev, prev, current, next), combined by the method (none,
// linear, cubic), in the file's axes and game units; normals when asked.
// A frame whose file gives no normals takes its triangles', kept in
// computed (made on the first such frame; key: frame + 65536 * partIndex)
// for the next draws.
void PosePart(const DrawnPart& part, int partIndex, const int window[4], float t, uint8_t method, bool normals,
              std::shared_ptr<ComputedNormals>& computed, PoseCache* cache, std::vector<DecodedVertex>& out);

// One frame exactly: positions and normals, three floats a vertex. With
// unitNormals a normal the drawing would leave zero (an index past the
// table, triangles that give no direction) is its triangles' or else
// straight up, as formats that must hold unit normals need.
void PoseFrame(const DrawnPart& part, int frame, bool unitNormals, std::vector<float>& positions,
               std::vector<float>& normals);
