#pragma once

#include <cstdint>
#include <vector>

#include "formats/md2.h"
#include "formats/md3.h"
#include "formats/mdl.h"

// One frame as the viewer draws it when no blending is asked for: every
// frame vertex's position (coordinate * scale + translate, in the file's
// axes and game units) and normal (the table's, or for a frame whose file
// gives none, its triangles'), three floats each.
struct DecodedFrame {
    std::vector<float> positions;
    std::vector<float> normals;
};

// corners: TriangleCorners of the same file. With unitNormals, a normal the
// drawing would leave zero (an index past the table, triangles that give no
// direction) is its triangles' or else straight up, as formats that must
// hold unit normals need.
DecodedFrame DecodeMd2Frame(const Md2File& file, int frame, const std::vector<uint32_t>& corners,
                            bool unitNormals = false);
DecodedFrame DecodeMdlFrame(const MdlFile& file, int frame, const std::vector<uint32_t>& corners,
                            bool unitNormals = false);
DecodedFrame DecodeMd3Frame(const Md3Surface& surface, int frame, const std::vector<uint32_t>& corners,
                            bool unitNormals = false);
