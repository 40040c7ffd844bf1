// A glTF scene whose mesh nodes each play their own frames (its morph
// targets, one shown whole at each key) as pieces hung on each other: a
// whole Quake III player as Tarnivel exports it, or any such figure. Each
// piece's frames are its targets; a child piece hangs on the tag node
// above it, or on a tag of its parent named after it, placed frame by frame where the animation showing
// the frame puts the child; each animation that plays a piece's frames in
// order is one of its sequences. A child piece under a tag node of its
// parent hangs on that tag.
#include <algorithm>
#include <cmath>
#include <map>

#include <strings.h>

#include "model/gltf_model.h"
#include "platform/names.h"

namespace {

struct Piece {
    int node = -1;
    int parent = -1;  // the piece it hangs on
    size_t targets = 0;
    std::vector<size_t> primitives;
    std::vector<std::pair<int, double>> shown;  // by target: the animation and time showing it
};

int OneShown(const float* values, size_t width)
{
    int shown = -1;
    for (size_t k = 0; k < width; ++k) {
        if (std::fabs(values[k]) < 1e-6)
            continue;
        if (shown >= 0 || std::fabs(values[k] - 1) > 1e-6)
            return -1;
        shown = static_cast<int>(k);
    }
    return shown;
}

// The pieces, or empty when the scene is not one of them: fewer than two
// mesh nodes, a skin, a key that blends targets, or a root piece moved.
std::vector<Piece> FindPieces(const std::vector<GltfPrimitive>& primitives,
                              const std::vector<PreparedAnimation>& animations, const SceneState& rest)
{
    std::vector<Piece> pieces;
    std::map<int, size_t> pieceOf;
    for (size_t p = 0; p < primitives.size(); ++p) {
        const GltfPrimitive& primitive = primitives[p];
        if (!primitive.joints.empty())
            return {};
        if (!pieceOf.count(primitive.node)) {
            pieceOf[primitive.node] = pieces.size();
            pieces.emplace_back();
            pieces.back().node = primitive.node;
            pieces.back().targets = primitive.targetPositions.size();
        }
        Piece& piece = pieces[pieceOf[primitive.node]];
        if (piece.targets == 0 || piece.targets != primitive.targetPositions.size())
            return {};
        piece.primitives.push_back(p);
    }
    if (pieces.size() < 2)
        return {};
    for (Piece& piece : pieces) {
        for (int at = rest.parent[piece.node]; at >= 0 && piece.parent < 0; at = rest.parent[at])
            if (pieceOf.count(at))
                piece.parent = static_cast<int>(pieceOf[at]);
        piece.shown.assign(piece.targets, {-1, 0.0});
    }
    for (size_t a = 0; a < animations.size(); ++a) {
        for (const SampledChannel& channel : animations[a].channels) {
            auto found = pieceOf.find(channel.node);
            if (channel.path != SampledChannel::Path::kWeights) {
                if (found != pieceOf.end() && pieces[found->second].parent < 0)
                    return {};  // the root moved: not a figure of pieces on tags
                continue;
            }
            if (found == pieceOf.end())
                return {};
            Piece& piece = pieces[found->second];
            bool cubic = channel.method == SampledChannel::Method::kCubic;
            for (size_t k = 0; k < channel.times.size(); ++k) {
                int target = OneShown(&channel.values[(cubic ? 3 * k + 1 : k) * channel.width], channel.width);
                if (target < 0 || static_cast<size_t>(target) >= piece.targets)
                    return {};
                if (piece.shown[target].first < 0)
                    piece.shown[target] = {static_cast<int>(a), channel.times[k]};
            }
        }
    }
    return pieces;
}

Matrix4 Identity()
{
    return Matrix4{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

TagPlace TagOf(const std::string& name, const Matrix4& relative)
{
    Matrix4 m = GameMatrix(relative);
    TagPlace place;
    place.name = name;
    for (int i = 0; i < 3; ++i) {
        place.origin[i] = static_cast<float>(m[12 + i]);
        for (int k = 0; k < 3; ++k)
            place.axis[i][k] = static_cast<float>(m[4 * i + k]);
    }
    OrthonormalizeTag(place.axis);
    return place;
}

bool OnTagNode(const tinygltf::Model& gltf, const SceneState& rest, int node)
{
    return rest.parent[node] >= 0 && IsTagName(gltf.nodes[rest.parent[node]].name);
}

// What hangs on a piece: its child pieces (named after their nodes) and its
// own tag nodes.
std::vector<std::pair<int, std::string>> Hanging(const tinygltf::Model& gltf, const std::vector<Piece>& pieces,
                                                 size_t which, const SceneState& rest)
{
    std::vector<std::pair<int, std::string>> tags;
    for (const Piece& piece : pieces)
        if (piece.parent == static_cast<int>(which) && !OnTagNode(gltf, rest, piece.node))
            tags.push_back({piece.node, AsText(gltf.nodes[piece.node].name)});
    for (int node : SceneNodes(gltf)) {
        if (!IsTagName(gltf.nodes[node].name))
            continue;
        int at = rest.parent[node];
        while (at >= 0 && std::none_of(pieces.begin(), pieces.end(), [at](const Piece& p) { return p.node == at; }))
            at = rest.parent[at];
        if (at == pieces[which].node)
            tags.push_back({node, AsText(gltf.nodes[node].name)});
    }
    return tags;
}

// The sequences of a piece: each animation keying its frames one after the other.
std::vector<PlayerAnimation> Sequences(const std::vector<PreparedAnimation>& animations,
                                       const tinygltf::Model& gltf, int node)
{
    std::vector<PlayerAnimation> sequences;
    for (size_t a = 0; a < animations.size(); ++a) {
        for (const SampledChannel& channel : animations[a].channels) {
            if (channel.node != node || channel.path != SampledChannel::Path::kWeights || channel.times.empty())
                continue;
            bool cubic = channel.method == SampledChannel::Method::kCubic, ordered = true;
            int first = OneShown(&channel.values[(cubic ? 1 : 0) * channel.width], channel.width);
            int count = static_cast<int>(channel.times.size());
            for (int k = 1; k < count && ordered; ++k)
                ordered =
                    OneShown(&channel.values[(cubic ? 3 * k + 1 : k) * channel.width], channel.width) == first + k;
            if (!ordered)
                continue;
            double duration = channel.times.back() - channel.times.front();
            int fps = count > 1 && duration > 0 ? static_cast<int>(std::lround((count - 1) / duration)) : 10;
            const tinygltf::Value& loop = Member(gltf.animations[a].extras, "loopFrames");
            const tinygltf::Value& rate = Member(gltf.animations[a].extras, "fps");
            if (rate.IsInt() && rate.Get<int>() > 0 && rate.Get<int>() <= 1000)
                fps = rate.Get<int>();
            int looping = loop.IsInt() ? std::clamp(loop.Get<int>(), 0, count) : count;
            sequences.push_back({AsText(animations[a].name), first, count, looping, std::max(fps, 1)});
        }
    }
    return sequences;
}

}  // namespace

bool GltfPieces(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives,
                std::vector<GltfPieceModel>& out)
{
    std::vector<PreparedAnimation> animations;
    for (const tinygltf::Animation& animation : gltf.animations)
        animations.push_back(PrepareAnimation(gltf, animation));
    SceneState rest = RestState(gltf);
    std::vector<Piece> pieces = FindPieces(primitives, animations, rest);
    if (pieces.empty())
        return false;
    out.clear();
    for (size_t which = 0; which < pieces.size(); ++which) {
        const Piece& piece = pieces[which];
        GltfPieceModel made;
        made.parent = piece.parent;
        made.name = AsText(gltf.nodes[piece.node].name);
        // Hung on a tag node of its parent, else on a tag named after itself.
        made.tag = OnTagNode(gltf, rest, piece.node) ? AsText(gltf.nodes[rest.parent[piece.node]].name) : made.name;
        made.record = std::make_shared<GltfRecord>();
        for (size_t p : piece.primitives)
            made.primitives.push_back(primitives[p]);
        std::vector<std::pair<int, std::string>> hanging = Hanging(gltf, pieces, which, rest);
        DrawnModel& drawn = made.drawn;
        drawn.loaderName = "InitGltfObject";
        drawn.drawName = "DrawGltfFrame()";
        drawn.frameCount = static_cast<int32_t>(piece.targets);
        drawn.tagCount = static_cast<int32_t>(hanging.size());
        std::vector<SceneState> states;
        for (size_t k = 0; k < piece.targets; ++k) {
            SceneState state = rest;
            if (piece.shown[k].first >= 0)
                ApplyAnimation(animations[piece.shown[k].first], piece.shown[k].second, state);
            state.nodes[piece.node].weights.assign(piece.targets, 0.0f);
            state.nodes[piece.node].weights[k] = 1.0f;
            std::vector<Matrix4> world = WorldMatrices(state);
            Matrix4 frame = piece.parent < 0 ? Identity() : world[piece.node];
            Matrix4 toPiece = Inverse(frame);
            for (const auto& tag : hanging)
                drawn.tags.push_back(TagOf(tag.second, Multiply(toPiece, world[tag.first])));
            made.frameNames.push_back(TargetNameOf(gltf, made.primitives, k));
            states.push_back(std::move(state));
        }
        made.record->frames.resize(made.primitives.size());
        for (size_t p = 0; p < made.primitives.size(); ++p) {
            const GltfPrimitive& primitive = made.primitives[p];
            std::vector<FloatVertex>& stored = made.record->frames[p];
            stored.resize(states.size() * primitive.Count());
            for (size_t f = 0; f < states.size(); ++f) {
                std::vector<Matrix4> world = WorldMatrices(states[f]);
                Matrix4 place = piece.parent < 0 ? world[piece.node] : Identity();
                BakeFrame(gltf, primitive, states[f], place, &stored[f * primitive.Count()]);
            }
            DrawnPart part;
            part.name = AsText(primitive.name);
            part.skinSlot = static_cast<int32_t>(p);
            part.triangles = PrimitiveLayout(primitive, part.corners);
            part.frames.storage = VertexStorage::kFloats;
            part.frames.first = reinterpret_cast<const uint8_t*>(stored.data());
            part.frames.stride = sizeof(FloatVertex) * primitive.Count();
            part.frames.frameCount = static_cast<int32_t>(states.size());
            part.frames.vertexCount = static_cast<int32_t>(primitive.Count());
            part.frames.transforms.push_back({{1, 1, 1}, {0, 0, 0}});
            part.frames.lacksNormals.assign(states.size(), primitive.normals.empty() ? 1 : 0);
            drawn.parts.push_back(std::move(part));
        }
        made.sequences = Sequences(animations, gltf, piece.node);
        out.push_back(std::move(made));
    }
    return true;
}
