#pragma once

// Wavefront OBJ and its MTL materials, as the tools of today write them:
// vertices, texture coordinates and normals, faces of any number of corners
// (fanned into triangles), the material each face wears, the libraries it
// names. Every index is checked, relative ones (-1: the last) included.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/reports.h"

struct ObjCorner {
    uint32_t position;
    int32_t texCoord;  // -1 for none
    int32_t normal;    // -1 for none
};

// The faces that wear one material, three corners a triangle.
struct ObjGroup {
    std::string material;
    std::vector<ObjCorner> corners;
};

struct ObjFile {
    std::vector<float> positions;  // three a vertex
    std::vector<float> texCoords;  // two a coordinate
    std::vector<float> normals;    // three a normal
    std::vector<ObjGroup> groups;  // in the order their materials first appear
    std::vector<std::string> libraries;  // mtllib names, as written
};

struct MtlMaterial {
    std::string name;
    float diffuse[3] = {1, 1, 1};  // Kd
    float alpha = 1;               // d, or 1 - Tr
    std::string diffuseMap;        // map_Kd
    std::string emissiveMap;       // map_Ke
    float emissive[3] = {0, 0, 0};  // Ke
};

// Neither a file's lines nor its elements may number more than this.
constexpr size_t kMaxObjElements = size_t(1) << 24;

// The text read; false after a report naming the line.
bool ReadObj(const std::string& text, ObjFile& file, Reports& reports);
bool ReadMtl(const std::string& text, std::vector<MtlMaterial>& materials, Reports& reports);
