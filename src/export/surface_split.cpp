#include "export/surface_split.h"

std::vector<SurfacePiece> SplitSurface(const std::vector<uint32_t>& triangles, size_t count)
{
    std::vector<SurfacePiece> pieces(1);
    std::vector<int64_t> owner(count, -1);  // the piece holding a vertex now
    std::vector<uint32_t> local(count, 0);
    for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
        int64_t current = static_cast<int64_t>(pieces.size() - 1);
        size_t fresh = 0;
        for (int c = 0; c < 3; ++c)
            fresh += owner[triangles[t + c]] != current &&
                     (c == 0 || triangles[t + c] != triangles[t]) && (c < 2 || triangles[t + 2] != triangles[t + 1]);
        SurfacePiece* piece = &pieces.back();
        if (piece->vertices.size() + fresh > kMostSurfaceVertices ||
            piece->triangles.size() / 3 + 1 > kMostSurfaceTriangles) {
            pieces.emplace_back();
            piece = &pieces.back();
            ++current;
        }
        for (int c = 0; c < 3; ++c) {
            uint32_t vertex = triangles[t + c];
            if (owner[vertex] != current) {
                owner[vertex] = current;
                local[vertex] = static_cast<uint32_t>(piece->vertices.size());
                piece->vertices.push_back(vertex);
            }
            piece->triangles.push_back(local[vertex]);
        }
    }
    if (pieces.back().triangles.empty())
        pieces.pop_back();
    return pieces;
}
