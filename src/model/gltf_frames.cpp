// A glTF scene as the drawn form. Without skins every part's vertices are
// baked into frames: the morph targets themselves when each animation key
// shows one of them whole (as Tarnivel's own exports key their frames),
// else one frame a key of each animation, named after it. With a skin the
// joints become the skeleton and each animation its frames of joint poses.
#include <algorithm>
#include <cmath>
#include <cstring>

#include <strings.h>

#include "model/gltf_model.h"
#include "model/skeletal_load.h"
#include "platform/names.h"

namespace {

constexpr size_t kMaxFrameBytes = size_t(512) << 20;

// What the frames are made of: a scene state a frame, named.
struct Moments {
    std::vector<SceneState> states;
    std::vector<std::string> names;
};

// The one target a key shows whole; -1 when it blends.
int OneTarget(const std::vector<double>& weights)
{
    int shown = -1;
    for (size_t k = 0; k < weights.size(); ++k) {
        if (std::fabs(weights[k]) < 1e-6)
            continue;
        if (shown >= 0 || std::fabs(weights[k] - 1) > 1e-6)
            return -1;
        shown = static_cast<int>(k);
    }
    return shown;
}


// The target count every morphed primitive shares; 0 when none has targets
// or they differ.
size_t SharedTargets(const std::vector<GltfPrimitive>& primitives)
{
    size_t shared = 0;
    for (const GltfPrimitive& primitive : primitives) {
        size_t count = primitive.targetPositions.size();
        if (count && shared && count != shared)
            return 0;
        shared = std::max(shared, count);
    }
    return shared;
}

// True when the frames are the targets: every weights key shows one whole,
// and nothing moves the nodes the meshes hang from. The key where each
// target shows fills shown (animation, time) for the tags.
bool FramesAreTargets(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives,
                      const std::vector<PreparedAnimation>& animations, size_t targets,
                      std::vector<std::pair<int, double>>& shown)
{
    if (targets == 0)
        return false;
    std::vector<char> carries(gltf.nodes.size(), 0);
    SceneState rest = RestState(gltf);
    for (const GltfPrimitive& primitive : primitives)
        for (int at = primitive.node; at >= 0; at = rest.parent[at])
            carries[at] = 1;
    shown.assign(targets, {-1, 0.0});
    for (size_t a = 0; a < animations.size(); ++a) {
        for (const SampledChannel& channel : animations[a].channels) {
            if (channel.path != SampledChannel::Path::kWeights) {
                if (carries[channel.node])
                    return false;
                continue;
            }
            size_t width = channel.width, keys = channel.times.size();
            bool cubic = channel.method == SampledChannel::Method::kCubic;
            for (size_t k = 0; k < keys; ++k) {
                const float* v = &channel.values[(cubic ? 3 * k + 1 : k) * width];
                int target = OneTarget(std::vector<double>(v, v + width));
                if (target < 0 || static_cast<size_t>(target) >= targets)
                    return false;
                if (shown[target].first < 0)
                    shown[target] = {static_cast<int>(a), channel.times[k]};
            }
        }
    }
    return !animations.empty();
}


// The morphed primitives' targets as frames, each at the key that shows it.
Moments TargetMoments(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives,
                      const std::vector<PreparedAnimation>& animations, size_t targets,
                      const std::vector<std::pair<int, double>>& shown)
{
    Moments moments;
    for (size_t k = 0; k < targets; ++k) {
        SceneState state = RestState(gltf);
        if (shown[k].first >= 0)
            ApplyAnimation(animations[shown[k].first], shown[k].second, state);
        for (const GltfPrimitive& primitive : primitives) {
            std::vector<float>& weights = state.nodes[primitive.node].weights;
            weights.assign(weights.size(), 0.0f);
            if (k < weights.size())
                weights[k] = 1.0f;
        }
        moments.states.push_back(std::move(state));
        moments.names.push_back(TargetNameOf(gltf, primitives, k));
    }
    return moments;
}

// The frame names a node keeps in its extras (frameNames, as Tarnivel
// writes a model of tags only); empty when none does.
std::vector<std::string> KeptFrameNames(const tinygltf::Model& gltf)
{
    std::vector<std::string> names;
    for (int node : SceneNodes(gltf)) {
        const tinygltf::Value& kept = Member(gltf.nodes[node].extras, "frameNames");
        for (size_t k = 0; kept.IsArray() && k < kept.ArrayLen(); ++k) {
            const tinygltf::Value& name = Element(kept, k);
            names.push_back(name.IsString() ? AsText(name.Get<std::string>()) : "");
        }
        if (!names.empty())
            break;
    }
    return names;
}

// A frame a key of each animation (every stride-th, when they would not
// fit), named after the animation; the rest pose when there is none.
Moments KeyMoments(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives,
                   const std::vector<PreparedAnimation>& animations, size_t stride, Reports& reports)
{
    Moments moments;
    for (size_t a = 0; a < animations.size(); ++a) {
        std::vector<double> times = KeyTimes(animations[a]);
        std::string name = animations[a].name.empty() ? "animation" + std::to_string(a + 1) : animations[a].name;
        for (size_t k = 0, number = 1; k < times.size(); k += stride, ++number) {
            SceneState state = RestState(gltf);
            ApplyAnimation(animations[a], times[k], state);
            moments.states.push_back(std::move(state));
            moments.names.push_back(NumberedName(name, number));
        }
    }
    if (stride > 1)
        AddReport(reports, "InitGltfObject: only every %zu key of the animations is a frame: all of them would hold "
                  "more than %zu MiB", stride, kMaxFrameBytes >> 20);
    if (moments.states.empty()) {
        moments.states.push_back(RestState(gltf));
        size_t targets = SharedTargets(primitives);
        moments.names.push_back(targets == 1 ? TargetNameOf(gltf, primitives, 0) : "frame1");
    }
    std::vector<std::string> kept = KeptFrameNames(gltf);
    if (kept.size() == moments.names.size())
        moments.names = kept;
    return moments;
}

void Normalize(float v[3])
{
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0)
        v[0] /= length, v[1] /= length, v[2] /= length;
}




bool BakeVertexFrames(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives,
                  const std::vector<PreparedAnimation>& animations, GltfRecord& record, DrawnModel& drawn,
                  std::vector<std::string>& names, Reports& reports)
{
    size_t vertices = 0;
    for (const GltfPrimitive& primitive : primitives)
        vertices += primitive.Count();
    size_t targets = SharedTargets(primitives), keys = 0;
    for (const PreparedAnimation& animation : animations)
        keys += KeyTimes(animation).size();
    std::vector<std::pair<int, double>> shown;
    bool asTargets = FramesAreTargets(gltf, primitives, animations, targets, shown);
    size_t frames = asTargets ? targets : std::max<size_t>(keys, 1);
    size_t stride = std::max<size_t>(1, (frames * vertices * sizeof(FloatVertex)) / kMaxFrameBytes + 1);
    if (asTargets && stride > 1) {
        AddReport(reports, "InitGltfObject: %zu frames of %zu vertices would hold more than %zu MiB", frames,
                  vertices, kMaxFrameBytes >> 20);
        return false;
    }
    Moments moments = asTargets ? TargetMoments(gltf, primitives, animations, targets, shown)
                                : KeyMoments(gltf, primitives, animations, stride, reports);
    std::vector<std::vector<Matrix4>> worlds;
    for (const SceneState& state : moments.states)
        worlds.push_back(WorldMatrices(state));
    record.frames.resize(primitives.size());
    for (size_t p = 0; p < primitives.size(); ++p) {
        const GltfPrimitive& primitive = primitives[p];
        std::vector<FloatVertex>& stored = record.frames[p];
        stored.resize(moments.states.size() * primitive.Count());
        DrawnPart part;
        part.name = AsText(primitive.name);
        part.skinSlot = static_cast<int32_t>(p);
        part.triangles = PrimitiveLayout(primitive, part.corners);
        for (size_t f = 0; f < moments.states.size(); ++f)
            BakeFrame(gltf, primitive, moments.states[f], worlds[f][primitive.node], &stored[f * primitive.Count()]);
        VertexFrames& out = part.frames;
        out.storage = VertexStorage::kFloats;
        out.first = reinterpret_cast<const uint8_t*>(stored.data());
        out.stride = sizeof(FloatVertex) * primitive.Count();
        out.frameCount = static_cast<int32_t>(moments.states.size());
        out.vertexCount = static_cast<int32_t>(primitive.Count());
        out.transforms.push_back({{1, 1, 1}, {0, 0, 0}});
        out.lacksNormals.assign(moments.states.size(), primitive.normals.empty() ? 1 : 0);
        drawn.parts.push_back(std::move(part));
    }
    drawn.frameCount = static_cast<int32_t>(moments.states.size());
    AddTags(gltf, moments.states, drawn);
    names = moments.names;
    return true;
}

}  // namespace

// A frame name: the text cut to leave room for its number.
std::string TargetNameOf(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives, size_t k)
{
    for (const GltfPrimitive& primitive : primitives) {
        int mesh = gltf.nodes[primitive.node].mesh;
        const tinygltf::Value& names = Member(gltf.meshes[mesh].extras, "targetNames");
        if (names.IsArray() && k < names.ArrayLen() && Element(names, k).IsString())
            return AsText(Element(names, k).Get<std::string>());
    }
    return "frame" + std::to_string(k + 1);
}

std::string NumberedName(const std::string& name, size_t number)
{
    std::string digits = std::to_string(number);
    return FirstCharacters(AsText(name), kFrameNameCharacters - digits.size()) + digits;
}

std::shared_ptr<const FrameLayout> PrimitiveLayout(const GltfPrimitive& primitive, std::vector<uint32_t>& corners)
{
    auto layout = std::make_shared<FrameLayout>();
    size_t count = primitive.Count();
    layout->frameVertex.resize(count);
    for (size_t v = 0; v < count; ++v)
        layout->frameVertex[v] = static_cast<uint32_t>(v);
    layout->texCoords = primitive.texCoords.empty() ? std::vector<float>(2 * count, 0.0f) : primitive.texCoords;
    // glTF's front faces wind the other way from the viewer's.
    corners = primitive.triangles;
    for (size_t i = 0; i + 2 < corners.size(); i += 3)
        std::swap(corners[i + 1], corners[i + 2]);
    layout->indices = corners;
    return layout;
}

// A primitive's vertices at a state, in the game's axes.
void BakeFrame(const tinygltf::Model& gltf, const GltfPrimitive& primitive, const SceneState& state,
               const Matrix4& world, FloatVertex* out)
{
    const std::vector<float>& weights = state.nodes[primitive.node].weights;
    std::vector<float> positions = primitive.positions, normals = primitive.normals;
    static thread_local std::vector<float> offsets;
    auto add = [&](int accessor, float weight, std::vector<float>& to) {
        if (accessor >= 0 && !to.empty() && AccessorFloats(gltf, accessor, 3, offsets) && offsets.size() == to.size())
            for (size_t i = 0; i < to.size(); ++i)
                to[i] += weight * offsets[i];
    };
    for (size_t k = 0; k < primitive.targetPositions.size() && k < weights.size(); ++k) {
        if (weights[k] == 0.0f)
            continue;
        add(primitive.targetPositions[k], weights[k], positions);
        add(primitive.targetNormals[k], weights[k], normals);
    }
    for (size_t v = 0; v < primitive.Count(); ++v) {
        double moved[3];
        TransformPoint(world, &positions[3 * v], moved);
        GamePoint(moved, &out[v].x);
        if (normals.empty()) {
            std::fill(out[v].normal, out[v].normal + 3, 0.0f);
            continue;
        }
        TransformDirection(world, &normals[3 * v], moved);
        GameDirection(moved, out[v].normal);
        Normalize(out[v].normal);
    }
}

// Every tag node's place at each state, frame after frame.
void AddTags(const tinygltf::Model& gltf, const std::vector<SceneState>& states, DrawnModel& drawn)
{
    std::vector<int> tags;
    for (int node : SceneNodes(gltf))
        if (IsTagName(gltf.nodes[node].name))
            tags.push_back(node);
    drawn.tagCount = static_cast<int32_t>(tags.size());
    for (const SceneState& state : states) {
        std::vector<Matrix4> world = WorldMatrices(state);
        for (int node : tags) {
            Matrix4 m = GameMatrix(world[node]);
            TagPlace place;
            place.name = AsText(gltf.nodes[node].name);
            for (int i = 0; i < 3; ++i) {
                place.origin[i] = static_cast<float>(m[12 + i]);
                for (int k = 0; k < 3; ++k)
                    place.axis[i][k] = static_cast<float>(m[4 * i + k]);
            }
            OrthonormalizeTag(place.axis);
            drawn.tags.push_back(place);
        }
    }
}

bool ConvertGltf(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives, GltfRecord& record,
                 DrawnModel& drawn, std::vector<std::string>& names, Reports& reports)
{
    std::vector<PreparedAnimation> animations;
    for (const tinygltf::Animation& animation : gltf.animations)
        animations.push_back(PrepareAnimation(gltf, animation));
    drawn.loaderName = "InitGltfObject";
    drawn.drawName = "DrawGltfFrame()";
    bool skinned = std::any_of(primitives.begin(), primitives.end(), [&](const GltfPrimitive& primitive) {
        return !primitive.joints.empty() && gltf.nodes[primitive.node].skin >= 0;
    });
    if (skinned)
        return SkeletalFrames(gltf, primitives, animations, record, drawn, names, reports);
    return BakeVertexFrames(gltf, primitives, animations, record, drawn, names, reports);
}
