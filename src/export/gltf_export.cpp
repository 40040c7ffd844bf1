// glTF 2.0 through tinygltf: one mesh whose morph targets are the frames,
// an animation of the morph weights per frame sequence and one over all,
// and the skins as PNG textures, further skins as material variants.
#include <tiny_gltf.h>

#include <algorithm>
#include <cstring>

#include "export/export_mesh.h"
#include "export/export_model.h"
#include "export/gltf_parts.h"
#include "platform/names.h"

namespace {

// An animation a frame sequence, and one of every frame, the tags moving with them.
void AddFrameAnimations(tinygltf::Model& gltf, BufferWriter& buffer, const ModelObject& model, const ExportMesh& mesh,
                        const ExportRequest& request, const std::vector<int>& tags)
{
    std::vector<float> times = FrameTimes(model, mesh, request.fps);
    auto add = [&](const std::string& name, size_t first, size_t count) {
        AddAnimation(gltf, buffer, name, times, first, count, mesh.frames.size(), request.step);
        std::vector<int> frames(mesh.frames.begin() + first, mesh.frames.begin() + first + count);
        tinygltf::Animation& animation = gltf.animations.back();
        AddTagChannels(animation, buffer, model, tags, frames, animation.samplers[0].input, request.scale,
                       request.step);
    };
    for (const FrameSequence& sequence : FrameSequences(model, mesh))
        add(sequence.name, sequence.first, sequence.count);
    add("all", 0, mesh.frames.size());
}

// A model of tags only (or of nothing): one animation of every frame
// moving the tags, the frames' names on its node as a mesh keeps its
// targets' names.
void AddTagAnimation(tinygltf::Model& gltf, BufferWriter& buffer, const ModelObject& model, const ExportMesh& mesh,
                     const ExportRequest& request, const std::vector<int>& tags)
{
    if (mesh.frames.size() > 1 && !tags.empty()) {  // a still moves nothing
        std::vector<float> times = FrameTimes(model, mesh, request.fps);
        for (float& t : times)
            t -= times[0];
        tinygltf::Animation animation;
        animation.name = "all";
        int input = buffer.Accessor(times, TINYGLTF_TYPE_SCALAR, 1, 0, true);
        AddTagChannels(animation, buffer, model, tags, mesh.frames, input, request.scale, request.step);
        gltf.animations.push_back(animation);
    }
    tinygltf::Value::Array names;
    for (int frame : mesh.frames)
        names.push_back(tinygltf::Value(FrameNameOf(model, frame)));
    gltf.nodes[0].extras = tinygltf::Value(tinygltf::Value::Object{{"frameNames", tinygltf::Value(names)}});
}

}  // namespace

bool WriteGltf(const ModelObject& model, const ExportRequest& request, bool binary, std::string& error)
{
    ExportMesh mesh;
    if (!MakeExportMesh(model, request.firstFrame, request.lastFrame, request.scale, mesh, error))
        return false;
    tinygltf::Model gltf;
    gltf.asset.version = "2.0";
    gltf.asset.generator = "Tarnivel";
    BufferWriter buffer(gltf);
    // Targets and weights are most of it; one allocation, not a copy at each doubling.
    size_t frames = mesh.frames.size(), bytes = 6 * frames * 8;
    for (const ExportPart& part : mesh.parts)
        bytes += (frames + 1) * part.layout->frameVertex.size() * 24 + part.indices.size() * 4 +
                 part.layout->texCoords.size() * 4;
    for (const RgbImage& picture : model.skinPictures)
        bytes += picture.png.size();
    buffer.Reserve(bytes);
    std::vector<tinygltf::Primitive> primitives;
    for (size_t part = 0; part < mesh.parts.size(); ++part)
        primitives.push_back(MeshPrimitive(model, mesh, static_cast<int>(part), buffer));
    if (!AddModelMaterials(gltf, model, mesh, request.skin, buffer, primitives, error))
        return false;

    gltf.nodes.emplace_back();
    gltf.nodes[0].name = AsText(FileNameOf(model.path));
    std::vector<int> tags = AddTagNodes(gltf, model, 0, mesh.frames.empty() ? -1 : mesh.frames[0], request.scale);
    tinygltf::Node& node = gltf.nodes[0];
    if (!primitives.empty()) {  // a model of tags only is an empty node
        tinygltf::Mesh gltfMesh;
        gltfMesh.name = node.name;
        gltfMesh.primitives = primitives;
        gltfMesh.weights.assign(mesh.frames.size(), 0.0);
        tinygltf::Value::Array names;
        for (int frame : mesh.frames)
            names.push_back(tinygltf::Value(FrameNameOf(model, frame)));
        tinygltf::Value::Object extras;
        extras["targetNames"] = tinygltf::Value(names);
        gltfMesh.extras = tinygltf::Value(extras);
        gltf.meshes.push_back(gltfMesh);
        node.mesh = 0;
        if (mesh.frames.size() > 1)  // one frame is a still: nothing to play
            AddFrameAnimations(gltf, buffer, model, mesh, request, tags);
    } else {
        AddTagAnimation(gltf, buffer, model, mesh, request, tags);
    }
    return SaveGltf(gltf, {0}, "", request, binary, error);
}
