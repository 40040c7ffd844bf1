#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "models/md2.h"
#include "models/mdl.h"
#include "render/interpolate.h"

// A run of primitives of one mode: count indices from first on.
struct PrimitiveRun {
    GLenum mode;
    uint32_t first;
    uint32_t count;
};

// What every frame of a model shares, worked out once: one array vertex per
// distinct frame vertex and texture coordinate pair (or per GL-command
// vertex), their texture coordinates, and the primitives in file order.
struct FrameLayout {
    std::vector<uint32_t> frameVertex;  // the frame vertex each array vertex shows
    std::vector<float> texCoords;       // s, t per array vertex
    std::vector<uint32_t> indices;      // array vertices, primitive after primitive
    std::vector<PrimitiveRun> runs;
};

std::shared_ptr<const FrameLayout> Md2TriangleLayout(const Md2File& file);
std::shared_ptr<const FrameLayout> Md2CommandLayout(const Md2File& file);
// Texture coordinates of vertices on the seam move half a skin in triangles facing back.
std::shared_ptr<const FrameLayout> MdlTriangleLayout(const MdlFile& file);

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
    // The cubic terms of every value of the window these arrays were last
    // decoded from: kept while the window stays and only t moves.
    std::vector<CubicTerms> cubicTerms;
    const PackedVertex* cubicWindow[4] = {};
    bool cubicNormals = false;
};

// Sends the geometry through client arrays: into the display list being
// compiled, or drawn at once. Arrays left out send nothing, as immediate
// mode does when a value is not given.
void DrawFrameGeometry(const FrameGeometry& geometry);
