#pragma once

// Surfaces cut to what ioquake3 draws: it refuses a model with a surface
// (an MD3 surface, an IQM mesh) of 1000 vertices or 2000 triangles.
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr uint32_t kMostSurfaceVertices = 999;
constexpr uint32_t kMostSurfaceTriangles = 1999;

struct SurfacePiece {
    std::vector<uint32_t> vertices;   // the whole surface's vertices it holds
    std::vector<uint32_t> triangles;  // three a triangle, into vertices
};

// The triangles (three indices a triangle into count vertices) in pieces
// under those limits, in their order, a vertex in as many pieces as use it.
std::vector<SurfacePiece> SplitSurface(const std::vector<uint32_t>& triangles, size_t count);
