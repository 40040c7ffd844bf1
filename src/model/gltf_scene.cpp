#include "model/gltf_scene.h"

#include <algorithm>
#include <cmath>

namespace {

void Normalize(double q[4])
{
    double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (!(length > 0)) {
        q[0] = q[1] = q[2] = 0, q[3] = 1;
        return;
    }
    for (int i = 0; i < 4; ++i)
        q[i] /= length;
}

// The shorter way from a to b, at t.
void Slerp(const double a[4], const double b[4], double t, double out[4])
{
    double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3], sign = dot < 0 ? -1 : 1;
    dot *= sign;
    double wa = 1 - t, wb = t;
    if (dot < 0.9995) {
        double angle = std::acos(dot), sine = std::sin(angle);
        wa = std::sin((1 - t) * angle) / sine, wb = std::sin(t * angle) / sine;
    }
    for (int i = 0; i < 4; ++i)
        out[i] = wa * a[i] + wb * sign * b[i];
    Normalize(out);
}

size_t MorphTargets(const tinygltf::Model& gltf, int node)
{
    int mesh = gltf.nodes[node].mesh;
    if (mesh < 0 || gltf.meshes[mesh].primitives.empty())
        return 0;
    return gltf.meshes[mesh].primitives[0].targets.size();
}

// The value of a channel at the time, width numbers.
std::vector<double> Sample(const SampledChannel& channel, double time)
{
    const std::vector<float>& times = channel.times;
    size_t keys = times.size(), width = channel.width;
    bool cubic = channel.method == SampledChannel::Method::kCubic;
    auto value = [&](size_t key, size_t i) { return double(channel.values[(cubic ? 3 * key + 1 : key) * width + i]); };
    std::vector<double> out(width);
    size_t k = std::upper_bound(times.begin(), times.end(), static_cast<float>(time)) - times.begin();
    if (k == 0 || k == keys || channel.method == SampledChannel::Method::kStep) {
        size_t key = k == 0 ? 0 : k - 1;
        for (size_t i = 0; i < width; ++i)
            out[i] = value(key, i);
        return out;
    }
    size_t a = k - 1, b = k;
    double span = double(times[b]) - times[a], t = span > 0 ? (time - times[a]) / span : 0;
    if (cubic) {
        double t2 = t * t, t3 = t2 * t;
        for (size_t i = 0; i < width; ++i) {
            double outTangent = channel.values[(3 * a + 2) * width + i];
            double inTangent = channel.values[(3 * b) * width + i];
            out[i] = (2 * t3 - 3 * t2 + 1) * value(a, i) + (t3 - 2 * t2 + t) * span * outTangent +
                     (-2 * t3 + 3 * t2) * value(b, i) + (t3 - t2) * span * inTangent;
        }
    } else if (channel.path == SampledChannel::Path::kRotation) {
        double qa[4], qb[4];
        for (int i = 0; i < 4; ++i)
            qa[i] = value(a, i), qb[i] = value(b, i);
        Slerp(qa, qb, t, out.data());
    } else {
        for (size_t i = 0; i < width; ++i)
            out[i] = value(a, i) * (1 - t) + value(b, i) * t;
    }
    if (channel.path == SampledChannel::Path::kRotation)
        Normalize(out.data());
    return out;
}

}  // namespace

SceneState RestState(const tinygltf::Model& gltf)
{
    SceneState state;
    state.nodes.resize(gltf.nodes.size());
    state.parent.assign(gltf.nodes.size(), -1);
    for (size_t n = 0; n < gltf.nodes.size(); ++n) {
        const tinygltf::Node& node = gltf.nodes[n];
        NodeState& out = state.nodes[n];
        for (int child : node.children)
            state.parent[child] = static_cast<int>(n);
        if (node.matrix.size() == 16) {
            out.matrix = true;
            std::copy(node.matrix.begin(), node.matrix.end(), out.given.begin());
        }
        if (node.translation.size() == 3)
            std::copy(node.translation.begin(), node.translation.end(), out.translation);
        if (node.rotation.size() == 4) {
            std::copy(node.rotation.begin(), node.rotation.end(), out.rotation);
            Normalize(out.rotation);
        }
        if (node.scale.size() == 3)
            std::copy(node.scale.begin(), node.scale.end(), out.scale);
        size_t targets = MorphTargets(gltf, static_cast<int>(n));
        const std::vector<double>& given = !node.weights.empty() ? node.weights
                                           : node.mesh >= 0      ? gltf.meshes[node.mesh].weights
                                                                 : node.weights;
        out.weights.assign(targets, 0.0f);
        for (size_t k = 0; k < targets && k < given.size(); ++k)
            out.weights[k] = static_cast<float>(given[k]);
    }
    return state;
}

PreparedAnimation PrepareAnimation(const tinygltf::Model& gltf, const tinygltf::Animation& animation)
{
    PreparedAnimation prepared;
    prepared.name = animation.name;
    for (const tinygltf::AnimationChannel& channel : animation.channels) {
        if (channel.target_node < 0)
            continue;
        const tinygltf::AnimationSampler& sampler = animation.samplers[channel.sampler];
        SampledChannel out;
        out.node = channel.target_node;
        const std::string& path = channel.target_path;
        out.path = path == "translation" ? SampledChannel::Path::kTranslation
                   : path == "rotation"  ? SampledChannel::Path::kRotation
                   : path == "scale"     ? SampledChannel::Path::kScale
                                         : SampledChannel::Path::kWeights;
        out.method = sampler.interpolation == "STEP"          ? SampledChannel::Method::kStep
                     : sampler.interpolation == "CUBICSPLINE" ? SampledChannel::Method::kCubic
                                                              : SampledChannel::Method::kLinear;
        if (path != "translation" && path != "rotation" && path != "scale" && path != "weights")
            continue;
        out.width = out.path == SampledChannel::Path::kRotation  ? 4
                    : out.path == SampledChannel::Path::kWeights ? static_cast<int>(MorphTargets(gltf, out.node))
                                                          : 3;
        const tinygltf::Accessor& values = gltf.accessors[sampler.output];
        int components = ComponentsOf(values);
        std::vector<float> flat;
        if (out.width == 0 || !AccessorFloats(gltf, sampler.input, 1, out.times) ||
            !AccessorFloats(gltf, sampler.output, components, flat))
            continue;
        size_t perKey = size_t(out.width) * (out.method == SampledChannel::Method::kCubic ? 3 : 1);
        // Key times must rise, and there must be a value (with its tangents) for each.
        if (flat.size() != out.times.size() * perKey || !std::is_sorted(out.times.begin(), out.times.end()) ||
            std::any_of(out.times.begin(), out.times.end(), [](float t) { return !std::isfinite(t); }))
            continue;
        out.values = std::move(flat);
        prepared.channels.push_back(std::move(out));
    }
    return prepared;
}

void ApplyAnimation(const PreparedAnimation& animation, double time, SceneState& state)
{
    for (const SampledChannel& channel : animation.channels) {
        NodeState& node = state.nodes[channel.node];
        std::vector<double> value = Sample(channel, time);
        switch (channel.path) {
        case SampledChannel::Path::kTranslation: std::copy(value.begin(), value.end(), node.translation); break;
        case SampledChannel::Path::kRotation: std::copy(value.begin(), value.end(), node.rotation); break;
        case SampledChannel::Path::kScale: std::copy(value.begin(), value.end(), node.scale); break;
        case SampledChannel::Path::kWeights:
            node.weights.assign(value.begin(), value.end());
            break;
        }
        node.matrix = false;  // an animated node is moved by its parts
    }
}

std::vector<double> KeyTimes(const PreparedAnimation& animation)
{
    std::vector<double> times;
    for (const SampledChannel& channel : animation.channels)
        times.insert(times.end(), channel.times.begin(), channel.times.end());
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    return times;
}

Matrix4 LocalMatrix(const NodeState& node)
{
    if (node.matrix)
        return node.given;
    const double* q = node.rotation;
    double x = q[0], y = q[1], z = q[2], w = q[3];
    const double r[9] = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w),
                         2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
                         2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y)};
    Matrix4 m{};
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 3; ++row)
            m[4 * c + row] = r[3 * c + row] * node.scale[c];
    for (int row = 0; row < 3; ++row)
        m[12 + row] = node.translation[row];
    m[15] = 1;
    return m;
}

Matrix4 Multiply(const Matrix4& a, const Matrix4& b)
{
    Matrix4 out{};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k)
                out[4 * c + r] += a[4 * k + r] * b[4 * c + k];
    return out;
}

std::vector<Matrix4> WorldMatrices(const SceneState& state)
{
    size_t count = state.nodes.size();
    std::vector<Matrix4> world(count);
    std::vector<char> done(count, 0);
    for (size_t n = 0; n < count; ++n) {
        std::vector<int> chain;  // n and its ancestors not yet placed, nearest first
        for (int at = static_cast<int>(n); at >= 0 && !done[at]; at = state.parent[at])
            chain.push_back(at);
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            int parent = state.parent[*it];
            Matrix4 local = LocalMatrix(state.nodes[*it]);
            world[*it] = parent >= 0 ? Multiply(world[parent], local) : local;
            done[*it] = 1;
        }
    }
    return world;
}

Matrix4 Inverse(const Matrix4& m)
{
    // The general inverse by cofactors: a node's matrix may shear.
    const double* a = m.data();
    Matrix4 inv;
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
             a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
             a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
             a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
              a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
             a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
             a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
             a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
              a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
             a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
              a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
              a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
             a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
    double det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    if (det == 0 || !std::isfinite(det))
        return Matrix4{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (double& value : inv)
        value /= det;
    return inv;
}

void TransformPoint(const Matrix4& m, const float in[3], double out[3])
{
    for (int r = 0; r < 3; ++r)
        out[r] = m[r] * in[0] + m[4 + r] * in[1] + m[8 + r] * in[2] + m[12 + r];
}

void TransformDirection(const Matrix4& m, const float in[3], double out[3])
{
    for (int r = 0; r < 3; ++r)
        out[r] = m[r] * in[0] + m[4 + r] * in[1] + m[8 + r] * in[2];
}

Matrix4 GameMatrix(const Matrix4& m)
{
    // The game's axis a is glTF's (a + 2) % 3; lengths in units.
    Matrix4 out{};
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            out[4 * c + r] = m[4 * ((c + 2) % 3) + (r + 2) % 3];
    for (int r = 0; r < 3; ++r)
        out[12 + r] = m[12 + (r + 2) % 3] * kUnitsPerMetre;
    out[15] = 1;
    return out;
}
