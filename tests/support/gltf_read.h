#pragma once

// Reading back what an export wrote.
#include <tiny_gltf.h>

#include <cstring>
#include <string>
#include <vector>

template <typename T>
std::vector<T> Values(const tinygltf::Model& gltf, int index)
{
    const tinygltf::Accessor& accessor = gltf.accessors[index];
    const tinygltf::BufferView& view = gltf.bufferViews[accessor.bufferView];
    std::vector<T> values(accessor.count * tinygltf::GetNumComponentsInType(accessor.type));
    memcpy(values.data(), gltf.buffers[view.buffer].data.data() + view.byteOffset + accessor.byteOffset,
           values.size() * sizeof(T));
    return values;
}

const tinygltf::Animation* Animation(const tinygltf::Model& gltf, const std::string& name);
// The sampler of the animation's channel on the node's path.
const tinygltf::AnimationSampler* Sampler(const tinygltf::Animation& animation, int node, const std::string& path);

// The Khronos validator's one-line verdict on the file, "" with the reason
// to skip where it is not fetched; and what Blender's importer makes of it.
std::string ValidatorVerdict(const std::string& file, std::string& skip);
std::string BlenderImport(const std::string& file, std::string& skip);
