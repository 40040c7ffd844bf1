#include "export/byte_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "formats/vertex_normals.h"
#include "platform/names.h"

namespace {

// At most 15 bytes and a NUL, the number kept.
std::string ShortName(const std::string& name)
{
    if (name.size() <= 15)
        return name;
    size_t digits = name.find_last_not_of("0123456789") + 1;
    std::string number = name.substr(digits);
    return FirstCharacters(name.substr(0, digits), 15 > number.size() ? 15 - number.size() : 0) + number;
}

}  // namespace

void MakeByteMesh(const ModelObject& model, const SkinRules& rules, ByteMesh& mesh, std::vector<std::string>& notes)
{
    mesh = ByteMesh();
    SkinPacking packing(model, rules);
    packing.Pack(notes);
    mesh.skinWidth = packing.Width(), mesh.skinHeight = packing.Height();
    mesh.skins = packing.Skins();
    std::unordered_map<uint64_t, uint32_t> vertexOf;
    size_t moved = 0;
    const auto& parts = model.drawn->parts;
    for (size_t p = 0; p < parts.size(); ++p) {
        const DrawnPart& part = parts[p];
        uint32_t count = static_cast<uint32_t>(part.skeleton ? part.skinned.count : part.frames.vertexCount);
        mesh.firstVertex.push_back(mesh.frameVertices);
        if (!HasTriangles(part)) {
            mesh.frameVertices += count;
            continue;
        }
        const FrameLayout& layout = *part.triangles;
        const SkinPlace& place = packing.PlaceOfPart(p);
        for (uint32_t index : layout.indices) {
            float u = layout.texCoords[2 * index], v = layout.texCoords[2 * index + 1];
            if (packing.Packed() && (u < 0 || u > 1 || v < 0 || v > 1))
                ++moved, u = std::clamp(u, 0.0f, 1.0f), v = std::clamp(v, 0.0f, 1.0f);
            int32_t s = place.x + static_cast<int32_t>(std::lround(u * place.width));
            int32_t t = place.y + static_cast<int32_t>(std::lround(v * place.height));
            if (rules.inside && (s >= mesh.skinWidth || t >= mesh.skinHeight || s < 0 || t < 0))
                ++moved, s = std::clamp(s, 0, mesh.skinWidth - 1), t = std::clamp(t, 0, mesh.skinHeight - 1);
            uint32_t frameVertex = mesh.firstVertex[p] + layout.frameVertex[index];
            uint64_t key = uint64_t(frameVertex) << 32 | uint64_t(uint16_t(s)) << 16 | uint16_t(t);
            auto [found, added] = vertexOf.emplace(key, static_cast<uint32_t>(mesh.frameVertex.size()));
            if (added)
                mesh.frameVertex.push_back(frameVertex), mesh.s.push_back(s), mesh.t.push_back(t);
            mesh.triangles.push_back(found->second);
        }
        mesh.frameVertices += count;
    }
    if (moved)
        notes.push_back(std::to_string(moved) + " texture coordinates moved inside the skin");
}

namespace {

// The nearest of the 162 a normal already met, by its bits: a game's own
// frames have but 162 normals among them.
class NormalIndexes {
public:
    uint8_t Of(const float* normal)
    {
        uint32_t bits[3];
        memcpy(bits, normal, sizeof bits);
        uint32_t slot = (bits[0] * 73856093u ^ bits[1] * 19349663u ^ bits[2] * 83492791u) % kSlots;
        Entry& entry = entries_[slot];
        if (!entry.used || memcmp(entry.bits, bits, sizeof bits) != 0) {
            memcpy(entry.bits, bits, sizeof bits);
            entry.index = NearestVertexNormal(normal), entry.used = true;
        }
        return entry.index;
    }

private:
    static constexpr uint32_t kSlots = 4096;
    struct Entry {
        uint32_t bits[3];
        uint8_t index;
        bool used = false;
    };
    std::vector<Entry> entries_ = std::vector<Entry>(kSlots);
};

// Every frame's positions at scale, one frame after another, and the index
// of each vertex's normal.
void PoseAllFrames(const ModelObject& model, const ByteMesh& mesh, const std::vector<GameFrame>& frames, float scale,
                   std::vector<float>& positions, std::vector<uint8_t>& normals)
{
    const auto& parts = model.drawn->parts;
    size_t count = mesh.frameVertices;
    positions.assign(3 * count * frames.size(), 0.0f);
    normals.assign(count * frames.size(), 0);
    std::vector<float> partPositions, partNormals;
    NormalIndexes indexes;
    for (size_t f = 0; f < frames.size(); ++f)
        for (size_t p = 0; p < parts.size(); ++p) {
            if (!HasTriangles(parts[p]))
                continue;
            PoseGameFrame(parts[p], static_cast<int>(p), frames[f], partPositions, partNormals);
            size_t first = mesh.firstVertex[p], n = std::min(partPositions.size() / 3, count - first);
            float* to = &positions[3 * (f * count + first)];
            for (size_t i = 0; i < 3 * n; ++i)
                to[i] = partPositions[i] * scale;
            for (size_t v = 0; v < n && 3 * v + 2 < partNormals.size(); ++v)
                normals[f * count + first + v] = indexes.Of(&partNormals[3 * v]);
        }
}

}  // namespace

ByteFrames MakeByteFrames(const ModelObject& model, const ByteMesh& mesh, const std::vector<GameFrame>& frames,
                          float scale, bool perFrameBounds)
{
    ByteFrames out;
    size_t count = mesh.frameVertices;
    std::vector<float> positions;
    std::vector<uint8_t> normals;
    PoseAllFrames(model, mesh, frames, scale, positions, normals);
    // The box of the vertices the triangles use: one no triangle uses (as
    // some files keep far away) would only coarsen the steps.
    std::vector<bool> used(count, false);
    for (uint32_t frameVertex : mesh.frameVertex)
        used[frameVertex] = true;
    float low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
    auto box = [&](size_t first, size_t last) {
        bool any = false;
        for (size_t f = first; f < last; ++f)
            for (size_t v = 0; v < count; ++v) {
                if (!used[v])
                    continue;
                const float* at = &positions[3 * (f * count + v)];
                for (int a = 0; a < 3; ++a)
                    low[a] = any ? std::min(low[a], at[a]) : at[a], high[a] = any ? std::max(high[a], at[a]) : at[a];
                any = true;
            }
    };
    if (!perFrameBounds)
        box(0, frames.size());
    for (size_t f = 0; f < frames.size(); ++f) {
        if (perFrameBounds)
            box(f, f + 1);
        ByteFrame& frame = out.frames.emplace_back();
        frame.name = ShortName(frames[f].name);
        for (int a = 0; a < 3; ++a)
            frame.translate[a] = low[a], frame.scale[a] = (high[a] - low[a]) / 255.0f;
        frame.vertices.resize(count);
        frame.low = {255, 255, 255, 0}, frame.high = {0, 0, 0, 0};
        for (size_t v = 0; v < count; ++v) {
            const float* p = &positions[3 * (f * count + v)];
            uint8_t steps[3];
            for (int a = 0; a < 3; ++a) {
                float step = frame.scale[a] > 0 ? std::round((p[a] - low[a]) / frame.scale[a]) : 0.0f;
                steps[a] = static_cast<uint8_t>(std::clamp(step, 0.0f, 255.0f));
            }
            frame.vertices[v] = {steps[0], steps[1], steps[2], normals[f * count + v]};
            if (!used[v])
                continue;
            uint8_t* lows[3] = {&frame.low.x, &frame.low.y, &frame.low.z};
            uint8_t* highs[3] = {&frame.high.x, &frame.high.y, &frame.high.z};
            for (int a = 0; a < 3; ++a) {
                *lows[a] = std::min(*lows[a], steps[a]), *highs[a] = std::max(*highs[a], steps[a]);
                out.largestError = std::max(out.largestError, std::fabs(low[a] + steps[a] * frame.scale[a] - p[a]));
            }
            out.radius = std::max(out.radius, std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]));
        }
    }
    return out;
}
