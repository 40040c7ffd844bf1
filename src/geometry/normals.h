#pragma once

#include <cstdint>
#include <vector>

#include "formats/frame_types.h"

// True when every vertex of the frame has the same normal: the file gives
// the frame no normals (many exported models carry one index everywhere),
// and lit by it the model would be one flat colour.
bool FrameLacksNormals(const PackedVertex* vertices, int count);
bool FrameLacksNormals(const ShortVertex* vertices, int count);

// Normals from the triangles: each vertex the normalised sum of the normals
// of the triangles it is a corner of, each weighted by its area. Triangles
// share frame vertices across texture seams, so a seam shades smoothly.
// positions and normals hold three floats a vertex, in the file's axes; a
// vertex of no triangle (or of none with an area) gets (0, 0, 0).
void NormalsFromTriangles(const float* positions, int count, const std::vector<uint32_t>& corners,
                          float* normals);

// The normals a model's frames without normals were given, the last few
// kept: a draw blends up to four frames, and the next draw mostly the same.
struct ComputedNormals {
    struct Frame {
        int index = -1;
        std::vector<float> normals;
    };
    Frame frames[8];
    int next = 0;
};

// The kept normals of a frame (of a part: key is frame + 65536 * part), or null.
const float* KeptNormals(const ComputedNormals& kept, int key);
// Room for the normals, taken from a key other than the four in use.
std::vector<float>& KeepNormals(ComputedNormals& kept, int key, const int inUse[4]);
