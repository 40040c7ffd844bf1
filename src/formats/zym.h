#pragma once

// DarkPlaces' Zymotic model (ZYM, "ZYMOTICMODEL" type 1), big endian:
// bones in a hierarchy, poses of every bone relative to its parent, scenes
// (named runs of poses), vertices each on one bone, triangles by shader.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/reports.h"

constexpr int kZymHeaderSize = 140;

struct ZymBone {
    std::string name;
    int32_t parent;  // before the bone itself, or -1
};

struct ZymScene {
    std::string name;
    uint32_t first, count;
    float fps;
    bool loop;
};

struct ZymFile {
    std::vector<ZymBone> bones;
    uint32_t poseCount = 0;
    std::vector<float> poses;  // a 3 x 4 matrix (rows) a bone, bones.size() a pose, pose after pose
    std::vector<ZymScene> scenes;
    std::vector<uint32_t> vertexBones;  // the bone each vertex is on
    std::vector<float> origins;         // three a vertex, in its bone's space at the first pose
    std::vector<float> texCoords;       // two a vertex, as the file keeps them
    std::vector<std::string> shaders;
    std::vector<std::vector<uint32_t>> triangles;  // by shader, three a triangle, as the file winds them
};

// Reads a whole file, checking every count, lump, parent and index; null
// after a report naming the fault.
std::unique_ptr<ZymFile> ReadZym(const std::vector<uint8_t>& bytes, Reports& reports);
