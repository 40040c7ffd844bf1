#pragma once

// What the vertex-animated formats share in making their drawn form's
// layouts: array vertices given to (frame vertex, texture coordinate) keys.
#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "geometry/frame_layout.h"

// A skin size as the divisor of its texture coordinates: 1 for none.
inline float SkinDivisor(int32_t size)
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
