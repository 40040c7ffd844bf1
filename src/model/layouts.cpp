#include "model/layouts.h"

#include <cstring>
#include <unordered_map>

namespace {

float SkinDivisor(int32_t size)
{
    return size > 0 ? static_cast<float>(size) : 1.0f;
}

// Gives array vertices to (frame vertex, texture coordinate) keys, once each.
class LayoutBuilder {
public:
    explicit LayoutBuilder(FrameLayout& layout) : layout_(layout) {}
    // The array vertex of a key; words, when given, are the three GL-command
    // words the key was made from, compared in full on a match.
    uint32_t Vertex(uint64_t key, uint32_t vertex, float s, float t, const int32_t* words = nullptr)
    {
        auto range = ids_.equal_range(key);
        for (auto it = range.first; it != range.second; ++it)
            if (!words || SameWords(it->second, vertex, s, t))
                return it->second;
        uint32_t id = static_cast<uint32_t>(layout_.frameVertex.size());
        ids_.emplace(key, id);
        layout_.frameVertex.push_back(vertex);
        layout_.texCoords.push_back(s);
        layout_.texCoords.push_back(t);
        return id;
    }
    void Index(uint32_t id) { layout_.indices.push_back(id); }
    void Add(uint64_t key, uint32_t vertex, float s, float t) { Index(Vertex(key, vertex, s, t)); }

private:
    bool SameWords(uint32_t id, uint32_t vertex, float s, float t) const
    {
        return layout_.frameVertex[id] == vertex && memcmp(&layout_.texCoords[2 * id], &s, 4) == 0 &&
               memcmp(&layout_.texCoords[2 * id + 1], &t, 4) == 0;
    }
    FrameLayout& layout_;
    std::unordered_multimap<uint64_t, uint32_t> ids_;
};

}  // namespace

std::shared_ptr<const FrameLayout> Md2TriangleLayout(const Md2File& file)
{
    auto layout = std::make_shared<FrameLayout>();
    LayoutBuilder builder(*layout);
    float width = SkinDivisor(file.header.skinWidth), height = SkinDivisor(file.header.skinHeight);
    for (const Md2Triangle& tri : file.triangles) {
        for (int k = 0; k < 3; ++k) {
            uint32_t vertex = static_cast<uint16_t>(tri.vertexIndex[k]);
            uint32_t texCoord = static_cast<uint16_t>(tri.texCoordIndex[k]);
            const Md2TexCoord& st = file.texCoords[texCoord];
            builder.Add(uint64_t(vertex) << 32 | texCoord, vertex, st.s / width, st.t / height);
        }
    }
    return layout;
}

// Strips and fans become the triangles OpenGL makes of them, in the same
// order and each with the same last vertex, so one draw gives the same picture.
std::shared_ptr<const FrameLayout> Md2CommandLayout(const Md2File& file)
{
    auto layout = std::make_shared<FrameLayout>();
    LayoutBuilder builder(*layout);
    const std::vector<int32_t>& words = file.glCommands;
    std::vector<uint32_t> packet;
    for (size_t i = 0; i < words.size();) {
        int32_t n = words[i++];
        if (n == 0)
            break;
        packet.clear();
        for (int64_t v = n > 0 ? n : -int64_t(n); v > 0; --v, i += 3) {
            float st[2];
            memcpy(st, &words[i], 8);
            uint32_t vertex = static_cast<uint32_t>(words[i + 2]);
            uint64_t key = uint64_t(vertex) << 48 ^ uint64_t(static_cast<uint32_t>(words[i])) << 16 ^
                           static_cast<uint32_t>(words[i + 1]);
            packet.push_back(builder.Vertex(key, vertex, st[0], st[1], &words[i]));
        }
        for (size_t k = 0; k + 2 < packet.size(); ++k) {
            bool fan = n < 0, odd = k % 2 == 1;
            builder.Index(fan ? packet[0] : odd ? packet[k + 1] : packet[k]);
            builder.Index(fan ? packet[k + 1] : odd ? packet[k] : packet[k + 1]);
            builder.Index(packet[k + 2]);
        }
    }
    return layout;
}

std::shared_ptr<const FrameLayout> MdlTriangleLayout(const MdlFile& file)
{
    auto layout = std::make_shared<FrameLayout>();
    LayoutBuilder builder(*layout);
    const MdlHeader& h = file.header;
    float width = SkinDivisor(h.skinWidth), height = SkinDivisor(h.skinHeight);
    for (const MdlTriangle& tri : file.triangles) {
        for (int k = 0; k < 3; ++k) {
            uint32_t vertex = static_cast<uint32_t>(tri.vertexIndex[k]);
            const MdlTexCoord& st = file.texCoords[vertex];
            bool shifted = st.onSeam != 0 && tri.facesFront == 0;
            int64_t s = st.s;  // a hostile file's s plus half the width may not fit an int
            if (shifted)
                s += h.skinWidth / 2;
            builder.Add(uint64_t(vertex) << 1 | shifted, vertex, static_cast<float>(s) / width, st.t / height);
        }
    }
    return layout;
}

std::shared_ptr<const FrameLayout> Md3SurfaceLayout(const Md3Surface& surface)
{
    auto layout = std::make_shared<FrameLayout>();
    layout->frameVertex.resize(static_cast<size_t>(surface.numVertices));
    for (size_t v = 0; v < layout->frameVertex.size(); ++v)
        layout->frameVertex[v] = static_cast<uint32_t>(v);
    layout->texCoords = surface.texCoords;
    layout->indices = surface.triangles;
    return layout;
}

std::vector<uint32_t> TriangleCorners(const Md2File& file)
{
    std::vector<uint32_t> corners;
    corners.reserve(3 * file.triangles.size());
    for (const Md2Triangle& tri : file.triangles)
        for (int16_t index : tri.vertexIndex)
            corners.push_back(static_cast<uint16_t>(index));
    return corners;
}

std::vector<uint32_t> TriangleCorners(const MdlFile& file)
{
    std::vector<uint32_t> corners;
    corners.reserve(3 * file.triangles.size());
    for (const MdlTriangle& tri : file.triangles)
        for (int32_t index : tri.vertexIndex)
            corners.push_back(static_cast<uint32_t>(index));
    return corners;
}
