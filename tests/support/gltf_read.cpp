#include "support/gltf_read.h"

#include "support/programs.h"
#include "support/test_files.h"

const tinygltf::Animation* Animation(const tinygltf::Model& gltf, const std::string& name)
{
    for (const tinygltf::Animation& animation : gltf.animations)
        if (animation.name == name)
            return &animation;
    return nullptr;
}

const tinygltf::AnimationSampler* Sampler(const tinygltf::Animation& animation, int node, const std::string& path)
{
    for (const tinygltf::AnimationChannel& channel : animation.channels)
        if (channel.target_node == node && channel.target_path == path)
            return &animation.samplers[channel.sampler];
    return nullptr;
}

std::string ValidatorVerdict(const std::string& file, std::string& skip)
{
    if (!FileExists(TARNIVEL_NODE_MODULES "/gltf-validator/package.json")) {
        skip = "no gltf-validator here (tests/export/fetch-validator.sh fetches it)";
        return std::string();
    }
    return RunCommand("NODE_PATH='" TARNIVEL_NODE_MODULES "' node " TARNIVEL_SOURCE "/tests/export/validate-gltf.js '" +
                      file + "' 2>&1");
}

std::string BlenderImport(const std::string& file, std::string& skip)
{
    if (RunCommand("command -v blender").empty()) {
        skip = "no blender here";
        return std::string();
    }
    return RunCommand("blender -b --python-exit-code 1 --python " TARNIVEL_SOURCE
                      "/tests/export/blender-import.py -- '" + file + "' 2>&1");
}
