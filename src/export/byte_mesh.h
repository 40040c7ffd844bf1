#pragma once

// A model as the formats of 8-bit frames hold it (MD2, MDL): one mesh on
// one skin picture a skin set (the parts' pictures packed side by side),
// and frames of positions in 255 steps of a box.
#include <cstdint>
#include <string>
#include <vector>

#include "export/byte_skins.h"
#include "export/game_frames.h"
#include "formats/frame_types.h"

struct ByteMesh {
    uint32_t frameVertices = 0;        // every part's frame vertices, one part after another
    std::vector<uint32_t> firstVertex;  // by part: its first among them
    // A vertex a distinct frame vertex and skin pixel.
    std::vector<uint32_t> frameVertex;
    std::vector<int32_t> s, t;
    std::vector<uint32_t> triangles;  // three a triangle, into those vertices, wound as the model's
    int32_t skinWidth = 0, skinHeight = 0;
    std::vector<ByteSkin> skins;  // at least one
};

// The mesh of every part with triangles; what it changed in notes.
void MakeByteMesh(const ModelObject& model, const SkinRules& rules, ByteMesh& mesh, std::vector<std::string>& notes);

struct ByteFrame {
    std::string name;
    float scale[3], translate[3];
    std::vector<PackedVertex> vertices;  // a frame vertex each
    PackedVertex low, high;              // the frame's box, in its steps
};

struct ByteFrames {
    std::vector<ByteFrame> frames;
    float radius = 0;        // the farthest a vertex lies from the origin
    float largestError = 0;  // the farthest a vertex moved into its step, on an axis
};

// Every frame posed at scale, its positions in 255 steps of the box all
// frames share (or each its own), its normals the nearest of the 162;
// names cut to 15 characters keeping their numbers.
ByteFrames MakeByteFrames(const ModelObject& model, const ByteMesh& mesh, const std::vector<GameFrame>& frames,
                          float scale, bool perFrameBounds);
