#pragma once

// The drawn form's pieces each vertex-animated format makes of its record.
#include <cstdint>
#include <memory>
#include <vector>

#include "formats/md2.h"
#include "formats/md3.h"
#include "formats/mdl.h"
#include "geometry/frame_layout.h"

std::shared_ptr<const FrameLayout> Md2TriangleLayout(const Md2File& file);
std::shared_ptr<const FrameLayout> Md2CommandLayout(const Md2File& file);
// Texture coordinates of vertices on the seam move half a skin in triangles facing back.
std::shared_ptr<const FrameLayout> MdlTriangleLayout(const MdlFile& file);
// An MD3 surface's vertices each have their own texture coordinate.
std::shared_ptr<const FrameLayout> Md3SurfaceLayout(const Md3Surface& surface);

// The frame vertices of every triangle, three a triangle: the corners the
// normals are worked out from.
std::vector<uint32_t> TriangleCorners(const Md2File& file);
std::vector<uint32_t> TriangleCorners(const MdlFile& file);
