#pragma once

#include <cstdint>
#include <vector>

// What every frame of a part shares, worked out once: one array vertex per
// distinct frame vertex and texture coordinate pair (or per GL-command
// vertex), their texture coordinates, and the triangles in file order.
struct FrameLayout {
    std::vector<uint32_t> frameVertex;  // the frame vertex each array vertex shows
    std::vector<float> texCoords;       // s, t per array vertex
    std::vector<uint32_t> indices;      // array vertices, three a triangle
};
