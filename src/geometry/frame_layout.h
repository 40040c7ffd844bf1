#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "formats/md2.h"
#include "formats/md3.h"
#include "formats/mdl.h"

// What every frame of a model shares, worked out once: one array vertex per
// distinct frame vertex and texture coordinate pair (or per GL-command
// vertex), their texture coordinates, and the triangles in file order.
struct FrameLayout {
    std::vector<uint32_t> frameVertex;  // the frame vertex each array vertex shows
    std::vector<float> texCoords;       // s, t per array vertex
    std::vector<uint32_t> indices;      // array vertices, three a triangle
};

std::shared_ptr<const FrameLayout> Md2TriangleLayout(const Md2File& file);
std::shared_ptr<const FrameLayout> Md2CommandLayout(const Md2File& file);
// Texture coordinates of vertices on the seam move half a skin in triangles facing back.
std::shared_ptr<const FrameLayout> MdlTriangleLayout(const MdlFile& file);
// An MD3 surface's vertices each have their own texture coordinate.
std::shared_ptr<const FrameLayout> Md3SurfaceLayout(const Md3Surface& surface);
