#include "export/player_export.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "export/gltf_parts.h"
#include "platform/names.h"
#include "rig/player_rig.h"
#include "platform/paths.h"

namespace {

const PlayerAnimation* Find(const std::vector<PlayerAnimation>& animations, const char* name)
{
    for (const PlayerAnimation& animation : animations)
        if (animation.name == name)
            return &animation;
    return nullptr;
}

// The parent's tag at a frame; the identity when it has none.
TagPlace TagAt(const ModelObject& parent, int frame, const std::string& name)
{
    if (const TagPlace* tag = FindTag(*parent.drawn, frame, name))
        return *tag;
    TagPlace identity{name, {0, 0, 0}, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    return identity;
}

class AnimationWriter {
public:
    AnimationWriter(tinygltf::Model& gltf, BufferWriter& buffer, const std::string& name, bool step)
        : gltf_(gltf), buffer_(buffer), step_(step)
    {
        animation_.name = name;
    }

    // Keys at the frames of the sequence, a frame a 1/fps seconds.
    int Times(const PlayerAnimation& sequence, double fps)
    {
        std::vector<float> times;
        for (int k = 0; k < sequence.count; ++k)
            times.push_back(static_cast<float>(k / fps));
        return buffer_.Accessor(times, TINYGLTF_TYPE_SCALAR, 1, 0, true);
    }

    void Channel(int node, const char* path, int input, int output, bool step)
    {
        tinygltf::AnimationSampler sampler;
        sampler.input = input;
        sampler.output = output;
        sampler.interpolation = step ? "STEP" : "LINEAR";
        animation_.samplers.push_back(sampler);
        tinygltf::AnimationChannel channel;
        channel.sampler = static_cast<int>(animation_.samplers.size() - 1);
        channel.target_node = node;
        channel.target_path = path;
        animation_.channels.push_back(channel);
    }

    void Weights(int node, const PlayerAnimation& sequence, int input, size_t targets)
    {
        Channel(node, "weights", input, buffer_.OneHotWeights(sequence.count, targets, sequence.first), step_);
    }

    // The tag's node moved to its place at each frame of the sequence.
    void Tags(int node, const ModelObject& parent, const std::string& tag, const PlayerAnimation& sequence,
              int input, float scale)
    {
        std::vector<float> translations, rotations;
        for (int k = 0; k < sequence.count; ++k) {
            double t[3], r[4];
            TagTransform(TagAt(parent, sequence.first + k, tag), scale, t, r);
            translations.insert(translations.end(), t, t + 3);
            rotations.insert(rotations.end(), r, r + 4);
        }
        Channel(node, "translation", input, buffer_.Accessor(translations, TINYGLTF_TYPE_VEC3, 3, 0, false), step_);
        Channel(node, "rotation", input, buffer_.Accessor(rotations, TINYGLTF_TYPE_VEC4, 4, 0, false), step_);
    }

    // Shown (scale 1) or hidden (scale 0) through the sequence.
    void Shown(int node, bool shown, const PlayerAnimation& sequence, int input)
    {
        std::vector<float> scales;
        for (int k = 0; k < sequence.count; ++k)
            scales.insert(scales.end(), 3, shown ? 1.0f : 0.0f);
        Channel(node, "scale", input, buffer_.Accessor(scales, TINYGLTF_TYPE_VEC3, 3, 0, false), true);
    }

    // How many of its last frames the sequence plays again and again and
    // its frames a second (which keys alone do not tell of one frame), for
    // whoever writes the player back into the game: animation.cfg's numbers.
    void Rate(int loopFrames, int fps)
    {
        animation_.extras = tinygltf::Value(tinygltf::Value::Object{{"loopFrames", tinygltf::Value(loopFrames)},
                                                                    {"fps", tinygltf::Value(fps)}});
    }

    void Finish()
    {
        if (!animation_.channels.empty())
            gltf_.animations.push_back(animation_);
    }

private:
    tinygltf::Model& gltf_;
    BufferWriter& buffer_;
    bool step_;
    tinygltf::Animation animation_;
};

struct PieceNode {
    int node = -1;
    size_t targets = 0;  // frames as morph targets; 0 for a piece of no mesh
    std::vector<int> tags;  // its tags' nodes, children of its own, in its tags' order
};

// Where a piece hangs: the node of its parent's tag, else the parent itself.
int HangingNode(const ModelObject& parent, const PieceNode& placed, const std::string& tag)
{
    for (size_t t = 0; t < placed.tags.size(); ++t)
        if (parent.drawn->tags[t].name == tag)
            return placed.tags[t];
    return placed.node;
}

int SkinNamed(const ModelObject& model, const std::string& name)
{
    for (int skin = 0; skin < model.numSkins; ++skin)
        if (SkinName(model, skin) == name)
            return skin;
    return -1;
}

bool AddPieces(tinygltf::Model& gltf, BufferWriter& buffer, const PlayerExport& player, const ExportRequest& request,
               std::vector<PieceNode>& nodes, std::string& error)
{
    std::vector<std::string> variants;  // the skin sets of the parts that have more than one
    for (const PlayerPiece& piece : player.pieces)
        for (int skin = 0; piece.model->numSkins > 1 && skin < piece.model->numSkins; ++skin)
            if (std::find(variants.begin(), variants.end(), SkinName(*piece.model, skin)) == variants.end())
                variants.push_back(SkinName(*piece.model, skin));
    const ModelObject& legs = *player.pieces[0].model;
    std::string shown = request.skinName.empty() ? (legs.numSkins ? SkinName(legs, 0) : "") : request.skinName;
    if (!request.skinName.empty() && SkinNamed(legs, shown) < 0) {
        error = "the player has no skin \"" + shown + "\"";
        return false;
    }
    for (const PlayerPiece& piece : player.pieces) {
        const ModelObject& model = *piece.model;
        ExportMesh mesh;
        if (!MakeExportMesh(model, -1, -1, request.scale, mesh, error))
            return false;
        std::vector<tinygltf::Primitive> primitives;
        for (size_t part = 0; part < mesh.parts.size(); ++part)
            primitives.push_back(MeshPrimitive(model, mesh, static_cast<int>(part), buffer));
        std::vector<int> variantOf;
        for (int skin = 0; model.numSkins > 1 && skin < model.numSkins; ++skin)
            variantOf.push_back(static_cast<int>(
                std::find(variants.begin(), variants.end(), SkinName(model, skin)) - variants.begin()));
        if (!AddMaterials(gltf, model, mesh, std::max(0, SkinNamed(model, shown)), buffer, primitives, variantOf,
                          error))
            return false;
        tinygltf::Node node;
        std::string file = FileNameOf(model.path);
        node.name = AsText(file.substr(0, file.rfind('.')));
        PieceNode placed;
        if (!primitives.empty()) {
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
            node.mesh = static_cast<int>(gltf.meshes.size() - 1);
            placed.targets = mesh.frames.size();
        }
        if (piece.parent >= 0 && !RigPartShown(piece.tag, ""))
            node.scale = {0, 0, 0};  // shown only while the torso attacks
        gltf.nodes.push_back(node);
        placed.node = static_cast<int>(gltf.nodes.size() - 1);
        if (piece.parent >= 0) {
            int on = HangingNode(*player.pieces[piece.parent].model, nodes[piece.parent], piece.tag);
            gltf.nodes[on].children.push_back(placed.node);
        }
        placed.tags = AddTagNodes(gltf, model, placed.node, 0, request.scale);
        nodes.push_back(placed);
    }
    if (!variants.empty())
        AddVariants(gltf, variants);
    return true;
}

// The piece nearest above p (or p itself) that plays animations; -1 for none.
int Mover(const PlayerExport& player, int p)
{
    for (; p >= 0; p = player.pieces[p].parent)
        if (!player.pieces[p].model->sequences.empty())
            return p;
    return -1;
}

// One animation a sequence: the frames of each piece that plays it (the
// legs' or the torso's, BOTH_ ones both), and the pieces hanging on the
// tags of what moves.
void AddPlayerAnimations(tinygltf::Model& gltf, BufferWriter& buffer, const PlayerExport& player,
                         const ExportRequest& request, const std::vector<PieceNode>& nodes)
{
    int count = static_cast<int>(player.pieces.size());
    for (const char* name : kPlayerAnimationNames) {
        AnimationWriter animation(gltf, buffer, name, request.step);
        for (int mover = 0; mover < count; ++mover) {
            const ModelObject& moving = *player.pieces[mover].model;
            const PlayerAnimation* sequence = Find(moving.sequences, name);
            if (!sequence || sequence->count < 1)
                continue;
            int input = animation.Times(*sequence, sequence->fps > 0 ? sequence->fps : request.fps);
            animation.Rate(sequence->loop, sequence->fps);
            if (nodes[mover].targets)
                animation.Weights(nodes[mover].node, *sequence, input, nodes[mover].targets);
            for (size_t t = 0; t < nodes[mover].tags.size(); ++t)
                animation.Tags(nodes[mover].tags[t], moving, moving.drawn->tags[t].name, *sequence, input,
                               request.scale);
            for (int p = 0; p < count; ++p) {
                const PlayerPiece& piece = player.pieces[p];
                if (p != mover && Mover(player, piece.parent) == mover && !RigPartShown(piece.tag, ""))
                    animation.Shown(nodes[p].node, RigPartShown(piece.tag, name), *sequence, input);
            }
        }
        animation.Finish();
    }
}

}  // namespace

bool WritePlayerGltf(const PlayerExport& player, const ExportRequest& request, bool binary, std::string& error)
{
    tinygltf::Model gltf;
    gltf.asset.version = "2.0";
    gltf.asset.generator = "Tarnivel";
    BufferWriter buffer(gltf);
    std::vector<PieceNode> nodes;
    if (!AddPieces(gltf, buffer, player, request, nodes, error))
        return false;
    AddPlayerAnimations(gltf, buffer, player, request, nodes);
    return SaveGltf(gltf, {0}, player.name, request, binary, error);
}

bool ExportAssembly(const Assembly& assembly, const ExportRequest& request, std::string& error)
{
    if (assembly.pieces.size() == 1)
        return ExportModel(*assembly.pieces[0], request, error);
    const char* extension = ExtractExtension(request.output.c_str());
    if (extension && strcasecmp(extension, "md3") == 0)
        return WritePlayerFolder(assembly, request, error);
    bool binary = extension && strcasecmp(extension, "glb") == 0;
    if (!binary && !(extension && strcasecmp(extension, "gltf") == 0)) {
        error = "a player is written as .glb, .gltf or .md3 (a player folder)";
        return false;
    }
    PlayerExport player;
    player.name = assembly.name;
    for (const auto& piece : assembly.pieces) {
        int parent = -1;
        for (size_t p = 0; p < assembly.pieces.size(); ++p)
            if (assembly.pieces[p].get() == piece->attachedTo)
                parent = static_cast<int>(p);
        player.pieces.push_back({piece.get(), parent, piece->attachTag});
    }
    if (request.summary)
        request.summary->frames = assembly.pieces[0]->numFrames;
    return WritePlayerGltf(player, request, binary, error);
}
