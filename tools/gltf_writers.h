#pragma once

// glTF fixtures for the tests and the fuzz seeds, built piece by piece
// through tinygltf: accessors of any component type, quantized and sparse
// ones, nodes, meshes, skins, animations, and the file as .glb or .gltf.
#include <tiny_gltf.h>

#include <cstdint>
#include <string>
#include <vector>

namespace writers {

class GltfBuilder {
public:
    GltfBuilder();

    // An accessor of floats, count = values / components of the type.
    int Floats(const std::vector<float>& values, int type);
    // The values as integers of the component type (normalized: the values
    // are fractions of its range).
    int Integers(const std::vector<float>& values, int type, int componentType, bool normalized);
    // Zeros but for the values at the places, kept sparse.
    int Sparse(size_t count, int type, const std::vector<uint32_t>& places, const std::vector<float>& values);
    int Indices(const std::vector<uint32_t>& indices);

    // A primitive of triangles over positions (and the attributes given).
    tinygltf::Primitive Triangles(const std::vector<float>& positions, const std::vector<uint32_t>& indices,
                                  const std::vector<float>& texCoords = {}, int material = -1);
    int Mesh(const std::string& name, const std::vector<tinygltf::Primitive>& primitives,
             const std::vector<std::string>& targetNames = {});
    // A node (under parent, or a root of the scene); its index.
    int Node(const std::string& name, int mesh = -1, int parent = -1);
    // A material of a PNG (a data: URI, an image in the buffer, or a file beside), or its colour alone.
    int Material(const std::string& name, const std::vector<double>& colour, const std::vector<uint8_t>& png = {},
                 const std::string& where = "buffer");
    // A channel of an animation (made when named for the first time).
    void Channel(const std::string& animation, int node, const std::string& path, const std::vector<float>& times,
                 const std::vector<float>& values, const std::string& interpolation = "LINEAR");

    tinygltf::Model gltf;

    std::vector<uint8_t> Glb();
    // The JSON with the buffer in the file named (written beside by the caller), or embedded.
    std::string Json(const std::string& bufferFile = "");

private:
    int View(const void* data, size_t size, size_t stride = 0);
};

}  // namespace writers
