#include "geometry/normals.h"

#include <algorithm>
#include <cmath>

bool FrameLacksNormals(const PackedVertex* vertices, int count)
{
    for (int v = 1; v < count; ++v)
        if (vertices[v].normalIndex != vertices[0].normalIndex)
            return false;
    return count > 0;
}

bool FrameLacksNormals(const ShortVertex* vertices, int count)
{
    for (int v = 1; v < count; ++v)
        if (vertices[v].normal != vertices[0].normal)
            return false;
    return count > 1;
}

void NormalsFromTriangles(const float* positions, int count, const std::vector<uint32_t>& corners,
                          float* normals)
{
    std::fill(normals, normals + 3 * static_cast<size_t>(count), 0.0f);
    for (size_t i = 0; i + 2 < corners.size(); i += 3) {
        const float *a = positions + 3 * corners[i], *b = positions + 3 * corners[i + 1],
                    *c = positions + 3 * corners[i + 2];
        double e1[3], e2[3];
        for (int k = 0; k < 3; ++k)
            e1[k] = double(c[k]) - a[k], e2[k] = double(b[k]) - a[k];
        // Front faces wind clockwise; the cross product's length is twice the area.
        double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
        for (int corner = 0; corner < 3; ++corner)
            for (int k = 0; k < 3; ++k)
                normals[3 * corners[i + corner] + k] += static_cast<float>(n[k]);
    }
    for (int v = 0; v < count; ++v) {
        float* n = normals + 3 * v;
        double length = std::sqrt(double(n[0]) * n[0] + double(n[1]) * n[1] + double(n[2]) * n[2]);
        if (length > 0)
            for (int k = 0; k < 3; ++k)
                n[k] = static_cast<float>(n[k] / length);
    }
}

const float* KeptNormals(const ComputedNormals& kept, int frame)
{
    for (const ComputedNormals::Frame& entry : kept.frames)
        if (entry.index == frame)
            return entry.normals.data();
    return nullptr;
}

std::vector<float>& KeepNormals(ComputedNormals& kept, int frame, const int inUse[4])
{
    auto busy = [inUse](int index) { return std::find(inUse, inUse + 4, index) != inUse + 4; };
    while (kept.frames[kept.next].index >= 0 && busy(kept.frames[kept.next].index))
        kept.next = (kept.next + 1) % 8;
    ComputedNormals::Frame& entry = kept.frames[kept.next];
    kept.next = (kept.next + 1) % 8;
    entry.index = frame;
    return entry.normals;
}
