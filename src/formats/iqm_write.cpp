// The record as an IQM file (version 2), laid out as iqm.exe lays it out:
// the header, text, meshes, vertex arrays and their data, triangles,
// joints, poses, animations, frames and bounds, each 4-byte aligned.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "formats/byte_writer.h"
#include "formats/iqm.h"

namespace {

enum : uint32_t { kPositionArray = 0, kTexCoordArray = 1, kNormalArray = 2, kIndexArray = 4, kWeightArray = 5 };
enum : uint32_t { kUbyte = 1, kFloat = 7 };

// The text block: every name once, offset 0 the empty one.
class Text {
public:
    uint32_t Of(const std::string& name)
    {
        if (name.empty())
            return 0;
        auto found = offsets_.find(name);
        if (found != offsets_.end())
            return found->second;
        uint32_t at = static_cast<uint32_t>(bytes_.size());
        bytes_.insert(bytes_.end(), name.begin(), name.end());
        bytes_.push_back(0);
        return offsets_[name] = at;
    }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_{0};
    std::map<std::string, uint32_t> offsets_;
};

void Align(std::vector<uint8_t>& out)
{
    while (out.size() % 4)
        out.push_back(0);
}

// Four weights of 0 to 1 as bytes that sum to 255, the largest taking what rounding leaves.
void AppendWeights(std::vector<uint8_t>& out, const float* weights)
{
    int bytes[4], sum = 0, largest = 0;
    for (int k = 0; k < 4; ++k) {
        bytes[k] = static_cast<int>(std::lround(std::clamp(weights[k], 0.0f, 1.0f) * 255));
        sum += bytes[k];
        largest = weights[k] > weights[largest] ? k : largest;
    }
    if (sum > 0)
        bytes[largest] = std::clamp(bytes[largest] + 255 - sum, 0, 255);
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<uint8_t>(bytes[k]));
}

struct Offsets {
    uint32_t text, meshes, arrays, triangles, joints, poses, anims, frames, bounds, channels;
};

void AppendHeader(std::vector<uint8_t>& out, const IqmFile& file, const Offsets& at, uint32_t textSize,
                  uint32_t arrays)
{
    const char magic[16] = "INTERQUAKEMODEL";
    out.insert(out.end(), magic, magic + 16);
    uint32_t vertices = file.meshes.empty() ? 0 : file.vertexCount;
    const uint32_t fields[] = {kIqmVersion, 0, 0, textSize, at.text,
                               static_cast<uint32_t>(file.meshes.size()), at.meshes, arrays, vertices, at.arrays,
                               static_cast<uint32_t>(file.triangles.size() / 3), at.triangles, 0,
                               static_cast<uint32_t>(file.joints.size()), at.joints,
                               static_cast<uint32_t>(file.poses.size()), at.poses,
                               static_cast<uint32_t>(file.animations.size()), at.anims, file.frameCount, at.channels,
                               at.frames, at.bounds, 0, 0, 0, 0};
    for (uint32_t field : fields)
        AppendInt32(out, static_cast<int32_t>(field));
}

}  // namespace

void QuantizeIqmFrames(IqmFile& file)
{
    size_t poses = file.poses.size();
    for (size_t p = 0; p < poses; ++p) {
        IqmPose& pose = file.poses[p];
        pose.mask = 0;
        for (int c = 0; c < 10; ++c) {
            float low = 0, high = 0;
            for (uint32_t f = 0; f < file.frameCount; ++f) {
                float value = file.frames[(f * poses + p) * 10 + c];
                low = f == 0 ? value : std::min(low, value), high = f == 0 ? value : std::max(high, value);
            }
            pose.offset[c] = low;
            pose.scale[c] = (high - low) / 65535.0f;
            if (high - low > 1e-6f * std::max(1.0f, std::fabs(low)))
                pose.mask |= 1u << c;
            for (uint32_t f = 0; f < file.frameCount; ++f) {
                float& value = file.frames[(f * poses + p) * 10 + c];
                value = (pose.mask >> c) & 1 ? low + std::round((value - low) / pose.scale[c]) * pose.scale[c] : low;
            }
        }
    }
}

std::vector<uint8_t> WriteIqm(const IqmFile& file)
{
    Text text;
    for (const IqmMesh& mesh : file.meshes)
        text.Of(mesh.name), text.Of(mesh.material);
    for (const IqmJoint& joint : file.joints)
        text.Of(joint.name);
    for (const IqmAnimation& animation : file.animations)
        text.Of(animation.name);
    std::vector<uint8_t> out(kIqmHeaderSize, 0), body;
    Offsets at{};
    at.text = kIqmHeaderSize;
    out.insert(out.end(), text.Bytes().begin(), text.Bytes().end());
    Align(out);
    at.meshes = static_cast<uint32_t>(out.size());
    for (const IqmMesh& mesh : file.meshes)
        for (uint32_t value : {text.Of(mesh.name), text.Of(mesh.material), mesh.firstVertex, mesh.vertexCount,
                               mesh.firstTriangle, mesh.triangleCount})
            AppendInt32(out, static_cast<int32_t>(value));
    // The vertex arrays: positions, texture coordinates, normals, blend indexes and weights.
    bool skinned = !file.blendIndexes.empty();
    uint32_t arrays = file.meshes.empty() ? 0 : skinned ? 5 : 3;
    at.arrays = static_cast<uint32_t>(out.size());
    uint32_t data = at.arrays + 20 * arrays, count = file.vertexCount;
    const uint32_t kinds[5][3] = {{kPositionArray, kFloat, 3}, {kTexCoordArray, kFloat, 2}, {kNormalArray, kFloat, 3},
                                  {kIndexArray, kUbyte, 4}, {kWeightArray, kUbyte, 4}};
    for (uint32_t a = 0; a < arrays; ++a) {
        for (uint32_t value : {kinds[a][0], 0u, kinds[a][1], kinds[a][2], data})
            AppendInt32(out, static_cast<int32_t>(value));
        data += count * kinds[a][2] * (kinds[a][1] == kFloat ? 4 : 1);
    }
    if (arrays) {
        AppendFloats(out, file.positions.data(), static_cast<int>(3 * count));
        AppendFloats(out, file.texCoords.data(), static_cast<int>(2 * count));
        AppendFloats(out, file.normals.data(), static_cast<int>(3 * count));
    }
    if (arrays == 5) {
        out.insert(out.end(), file.blendIndexes.begin(), file.blendIndexes.begin() + 4 * count);
        for (uint32_t v = 0; v < count; ++v)
            AppendWeights(out, &file.blendWeights[4 * v]);
    }
    Align(out);
    at.triangles = static_cast<uint32_t>(out.size());
    for (uint32_t index : file.triangles)
        AppendInt32(out, static_cast<int32_t>(index));
    at.joints = static_cast<uint32_t>(out.size());
    for (const IqmJoint& joint : file.joints) {
        AppendInt32(out, static_cast<int32_t>(text.Of(joint.name)));
        AppendInt32(out, joint.parent);
        AppendFloats(out, joint.translate, 3), AppendFloats(out, joint.rotate, 4), AppendFloats(out, joint.scale, 3);
    }
    at.poses = static_cast<uint32_t>(out.size());
    for (const IqmPose& pose : file.poses) {
        AppendInt32(out, pose.parent);
        AppendInt32(out, static_cast<int32_t>(pose.mask));
        AppendFloats(out, pose.offset, 10), AppendFloats(out, pose.scale, 10);
        for (int c = 0; c < 10; ++c)
            at.channels += (pose.mask >> c) & 1;
    }
    at.anims = static_cast<uint32_t>(out.size());
    for (const IqmAnimation& animation : file.animations) {
        for (uint32_t value : {text.Of(animation.name), animation.firstFrame, animation.frameCount})
            AppendInt32(out, static_cast<int32_t>(value));
        AppendFloat(out, animation.framerate);
        AppendInt32(out, animation.loop ? 1 : 0);
    }
    at.frames = static_cast<uint32_t>(out.size());
    size_t value = 0;
    for (uint32_t f = 0; f < file.frameCount; ++f)
        for (const IqmPose& pose : file.poses)
            for (int c = 0; c < 10; ++c, ++value)
                if ((pose.mask >> c) & 1)
                    AppendInt16(out, static_cast<int16_t>(static_cast<uint16_t>(
                                         std::clamp(std::lround((file.frames[value] - pose.offset[c]) / pose.scale[c]),
                                                    0L, 65535L))));
    Align(out);
    at.bounds = file.bounds.empty() ? 0 : static_cast<uint32_t>(out.size());
    AppendFloats(out, file.bounds.data(), static_cast<int>(file.bounds.size()));
    std::vector<uint8_t> header;
    AppendHeader(header, file, at, static_cast<uint32_t>(text.Bytes().size()), arrays);
    std::copy(header.begin(), header.end(), out.begin());
    PatchInt32(out, 20, static_cast<int32_t>(out.size()));  // filesize
    return out;
}
