#include "skeletal_writers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

namespace writers {

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutFloat(std::vector<uint8_t>& out, float value)
{
    uint32_t bits;
    memcpy(&bits, &value, 4);
    Put32(out, bits);
}

namespace {

void Set32(std::vector<uint8_t>& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The text block: names after a leading NUL, each found once.
class Text {
public:
    uint32_t Of(const std::string& name)
    {
        auto known = at_.find(name);
        if (known != at_.end())
            return known->second;
        uint32_t offset = static_cast<uint32_t>(bytes_.size());
        bytes_.insert(bytes_.end(), name.begin(), name.end());
        bytes_.push_back(0);
        return at_[name] = offset;
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_ = {0};
    std::map<std::string, uint32_t> at_;
};

// Weights as bytes; ones that sum to one sum to 255, the largest taking
// what rounding leaves.
std::array<uint8_t, 4> WeightBytes(const std::array<float, 4>& weights)
{
    std::array<uint8_t, 4> out;
    int sum = 0, largest = 0;
    float total = 0;
    for (int k = 0; k < 4; ++k) {
        out[k] = static_cast<uint8_t>(std::lround(std::clamp(weights[k], 0.0f, 1.0f) * 255));
        sum += out[k], total += weights[k];
        largest = weights[k] > weights[largest] ? k : largest;
    }
    if (std::fabs(total - 1) < 0.01f)
        out[largest] = static_cast<uint8_t>(std::clamp(out[largest] + 255 - sum, 0, 255));
    return out;
}

void PoseChannels(const SkeletalPose& pose, float out[10])
{
    std::copy(pose.translate, pose.translate + 3, out);
    std::copy(pose.rotate, pose.rotate + 4, out + 3);
    std::copy(pose.scale, pose.scale + 3, out + 7);
}

void Array(std::vector<uint8_t>& out, uint32_t type, uint32_t format, uint32_t size, uint32_t offset)
{
    Put32(out, type), Put32(out, 0), Put32(out, format), Put32(out, size), Put32(out, offset);
}

}  // namespace

std::vector<uint8_t> WriteIqm(const SkeletalModel& model)
{
    Text text;
    std::vector<const SkeletalVertex*> vertices;
    std::vector<uint32_t> triangles, meshes;
    for (const SkeletalMesh& mesh : model.meshes) {
        uint32_t first = static_cast<uint32_t>(vertices.size()), firstTriangle = triangles.size() / 3;
        for (const SkeletalVertex& v : mesh.vertices)
            vertices.push_back(&v);
        for (uint32_t index : mesh.triangles)
            triangles.push_back(first + index);
        meshes.insert(meshes.end(), {text.Of(mesh.name), text.Of(mesh.material), first,
                                     static_cast<uint32_t>(mesh.vertices.size()), firstTriangle,
                                     static_cast<uint32_t>(mesh.triangles.size() / 3)});
    }
    for (const SkeletalJoint& joint : model.joints)
        text.Of(joint.name);
    for (const SkeletalAnimation& animation : model.animations)
        text.Of(animation.name);

    // Every frame's channels, and each channel's offset and step.
    std::vector<std::vector<float>> frames;
    for (const SkeletalAnimation& animation : model.animations) {
        for (const std::vector<SkeletalPose>& poses : animation.frames) {
            std::vector<float> channels(10 * model.joints.size());
            for (size_t j = 0; j < model.joints.size(); ++j)
                PoseChannels(poses[j], &channels[10 * j]);
            frames.push_back(channels);
        }
    }
    size_t values = 10 * model.joints.size();
    std::vector<float> low(values, 0), high(values, 0);
    for (size_t c = 0; c < values && !frames.empty(); ++c) {
        low[c] = high[c] = frames[0][c];
        for (const std::vector<float>& frame : frames)
            low[c] = std::min(low[c], frame[c]), high[c] = std::max(high[c], frame[c]);
    }
    uint32_t channels = 0;
    for (size_t c = 0; c < values; ++c)
        channels += high[c] > low[c];

    std::vector<uint8_t> out(124, 0);
    out.reserve(4096);
    memcpy(out.data(), "INTERQUAKEMODEL", 16);
    auto header = [&](size_t at, uint32_t value) { Set32(out, at, value); };
    header(16, 2);
    header(28, static_cast<uint32_t>(text.bytes().size())), header(32, static_cast<uint32_t>(out.size()));
    for (uint8_t byte : text.bytes())
        out.push_back(byte);
    while (out.size() % 4)
        out.push_back(0);
    header(36, static_cast<uint32_t>(model.meshes.size())), header(40, static_cast<uint32_t>(out.size()));
    for (uint32_t value : meshes)
        Put32(out, value);

    uint32_t count = static_cast<uint32_t>(vertices.size());
    header(44, 5), header(48, count), header(52, static_cast<uint32_t>(out.size()));
    size_t arrays = out.size(), data = arrays + 5 * 20;
    out.resize(data);
    std::vector<uint8_t> arrayBytes;
    auto start = [&]() { return static_cast<uint32_t>(data + arrayBytes.size()); };
    std::vector<uint8_t> list;
    Array(list, 0, 7, 3, start());
    for (const SkeletalVertex* v : vertices)
        for (float f : v->position)
            PutFloat(arrayBytes, f);
    Array(list, 1, 7, 2, start());
    for (const SkeletalVertex* v : vertices)
        for (float f : v->texCoord)
            PutFloat(arrayBytes, f);
    Array(list, 2, 7, 3, start());
    for (const SkeletalVertex* v : vertices)
        for (float f : v->normal)
            PutFloat(arrayBytes, f);
    Array(list, 4, 1, 4, start());
    for (const SkeletalVertex* v : vertices)
        arrayBytes.insert(arrayBytes.end(), v->joints.begin(), v->joints.end());
    Array(list, 5, 1, 4, start());
    for (const SkeletalVertex* v : vertices) {
        std::array<uint8_t, 4> weights = WeightBytes(v->weights);
        arrayBytes.insert(arrayBytes.end(), weights.begin(), weights.end());
    }
    std::copy(list.begin(), list.end(), out.begin() + arrays);
    out.insert(out.end(), arrayBytes.begin(), arrayBytes.end());

    header(56, static_cast<uint32_t>(triangles.size() / 3)), header(60, static_cast<uint32_t>(out.size()));
    for (uint32_t index : triangles)
        Put32(out, index);
    header(68, static_cast<uint32_t>(model.joints.size())), header(72, static_cast<uint32_t>(out.size()));
    for (const SkeletalJoint& joint : model.joints) {
        Put32(out, text.Of(joint.name)), Put32(out, static_cast<uint32_t>(joint.parent));
        float pose[10];
        PoseChannels(joint.bind, pose);
        for (float f : pose)
            PutFloat(out, f);
    }
    header(76, frames.empty() ? 0 : static_cast<uint32_t>(model.joints.size()));
    header(80, static_cast<uint32_t>(out.size()));
    for (size_t j = 0; j < model.joints.size() && !frames.empty(); ++j) {
        uint32_t mask = 0;
        for (int c = 0; c < 10; ++c)
            mask |= (high[10 * j + c] > low[10 * j + c] ? 1u : 0u) << c;
        Put32(out, static_cast<uint32_t>(model.joints[j].parent)), Put32(out, mask);
        for (int c = 0; c < 10; ++c)
            PutFloat(out, low[10 * j + c]);
        for (int c = 0; c < 10; ++c)
            PutFloat(out, (high[10 * j + c] - low[10 * j + c]) / 65535.0f);
    }
    header(84, static_cast<uint32_t>(model.animations.size())), header(88, static_cast<uint32_t>(out.size()));
    uint32_t first = 0;
    for (const SkeletalAnimation& animation : model.animations) {
        Put32(out, text.Of(animation.name)), Put32(out, first);
        Put32(out, static_cast<uint32_t>(animation.frames.size())), PutFloat(out, animation.fps), Put32(out, 0);
        first += static_cast<uint32_t>(animation.frames.size());
    }
    header(92, static_cast<uint32_t>(frames.size())), header(96, channels);
    header(100, static_cast<uint32_t>(out.size()));
    for (const std::vector<float>& frame : frames) {
        for (size_t c = 0; c < values; ++c) {
            if (!(high[c] > low[c]))
                continue;
            long step = std::lround((frame[c] - low[c]) / (high[c] - low[c]) * 65535.0f);
            out.push_back(static_cast<uint8_t>(step & 0xFF));
            out.push_back(static_cast<uint8_t>(step >> 8));
        }
    }
    header(20, static_cast<uint32_t>(out.size()));
    return out;
}

void PutName(std::vector<uint8_t>& out, const std::string& name, size_t size)
{
    std::string field = name.substr(0, size - 1);
    field.resize(size, '\0');
    out.insert(out.end(), field.begin(), field.end());
}

void Multiply(const float a[4], const float b[4], float out[4])
{
    float r[4] = {a[3] * b[0] + a[0] * b[3] + a[1] * b[2] - a[2] * b[1],
                  a[3] * b[1] - a[0] * b[2] + a[1] * b[3] + a[2] * b[0],
                  a[3] * b[2] + a[0] * b[1] - a[1] * b[0] + a[2] * b[3],
                  a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2]};
    std::copy(r, r + 4, out);
}

void Rotate(const float q[4], const float v[3], float out[3])
{
    float p[4] = {v[0], v[1], v[2], 0}, conjugate[4] = {-q[0], -q[1], -q[2], q[3]}, t[4];
    Multiply(q, p, t);
    Multiply(t, conjugate, t);
    std::copy(t, t + 3, out);
}

// Every joint's whole transform (scale is not MD5's) from the local poses.
std::vector<Whole> Wholes(const std::vector<SkeletalJoint>& joints)
{
    std::vector<Whole> out(joints.size());
    for (size_t j = 0; j < joints.size(); ++j) {
        const SkeletalPose& local = joints[j].bind;
        if (joints[j].parent < 0) {
            std::copy(local.translate, local.translate + 3, out[j].position);
            std::copy(local.rotate, local.rotate + 4, out[j].rotate);
            continue;
        }
        const Whole& parent = out[joints[j].parent];
        Rotate(parent.rotate, local.translate, out[j].position);
        for (int a = 0; a < 3; ++a)
            out[j].position[a] += parent.position[a];
        Multiply(parent.rotate, local.rotate, out[j].rotate);
    }
    return out;
}

namespace {

// "( x y z ) ( qx qy qz )": MD5 keeps w, always made not positive, unwritten.
std::string Place(const float position[3], const float rotate[4])
{
    float sign = rotate[3] > 0 ? -1.0f : 1.0f;
    char line[256];
    snprintf(line, sizeof line, "( %.9g %.9g %.9g ) ( %.9g %.9g %.9g )", position[0], position[1], position[2],
             sign * rotate[0], sign * rotate[1], sign * rotate[2]);
    return line;
}

}  // namespace

std::string WriteMd5Mesh(const SkeletalModel& model)
{
    std::vector<Whole> wholes = Wholes(model.joints);
    std::string out = "MD5Version 10\ncommandline \"\"\n\nnumJoints " + std::to_string(model.joints.size()) +
                      "\nnumMeshes " + std::to_string(model.meshes.size()) + "\n\njoints {\n";
    for (size_t j = 0; j < model.joints.size(); ++j)
        out += "\t\"" + model.joints[j].name + "\" " + std::to_string(model.joints[j].parent) + " " +
               Place(wholes[j].position, wholes[j].rotate) + "\n";
    out += "}\n";
    char line[256];
    for (const SkeletalMesh& mesh : model.meshes) {
        out += "\nmesh {\n\t// meshes: " + mesh.name + "\n\tshader \"" + mesh.material + "\"\n\n\tnumverts " +
               std::to_string(mesh.vertices.size()) + "\n";
        std::string weights;
        size_t count = 0;
        for (size_t v = 0; v < mesh.vertices.size(); ++v) {
            const SkeletalVertex& vertex = mesh.vertices[v];
            size_t first = count;
            for (int k = 0; k < 4; ++k) {
                if (vertex.weights[k] <= 0)
                    continue;
                const Whole& joint = wholes[vertex.joints[k]];
                float moved[3] = {vertex.position[0] - joint.position[0], vertex.position[1] - joint.position[1],
                                  vertex.position[2] - joint.position[2]};
                float back[4] = {-joint.rotate[0], -joint.rotate[1], -joint.rotate[2], joint.rotate[3]}, local[3];
                Rotate(back, moved, local);
                snprintf(line, sizeof line, "\tweight %zu %d %g ( %.9g %.9g %.9g )\n", count++, vertex.joints[k],
                         vertex.weights[k], local[0], local[1], local[2]);
                weights += line;
            }
            snprintf(line, sizeof line, "\tvert %zu ( %.9g %.9g ) %zu %zu\n", v, vertex.texCoord[0],
                     vertex.texCoord[1], first, count - first);
            out += line;
        }
        out += "\n\tnumtris " + std::to_string(mesh.triangles.size() / 3) + "\n";
        for (size_t t = 0; t + 2 < mesh.triangles.size(); t += 3)
            out += "\ttri " + std::to_string(t / 3) + " " + std::to_string(mesh.triangles[t]) + " " +
                   std::to_string(mesh.triangles[t + 1]) + " " + std::to_string(mesh.triangles[t + 2]) + "\n";
        out += "\n\tnumweights " + std::to_string(count) + "\n" + weights + "}\n";
    }
    return out;
}

std::string WriteMd5Anim(const SkeletalModel& model, const SkeletalAnimation& animation)
{
    size_t joints = model.joints.size();
    std::string out = "MD5Version 10\ncommandline \"\"\n\nnumFrames " + std::to_string(animation.frames.size()) +
                      "\nnumJoints " + std::to_string(joints) + "\nframeRate " +
                      std::to_string(std::lround(animation.fps)) + "\nnumAnimatedComponents " +
                      std::to_string(6 * joints) + "\n\nhierarchy {\n";
    for (size_t j = 0; j < joints; ++j)
        out += "\t\"" + model.joints[j].name + "\" " + std::to_string(model.joints[j].parent) + " 63 " +
               std::to_string(6 * j) + "\n";
    out += "}\n\nbounds {\n";
    for (size_t f = 0; f < animation.frames.size(); ++f)
        out += "\t( -100 -100 -100 ) ( 100 100 100 )\n";
    out += "}\n\nbaseframe {\n";
    for (const SkeletalJoint& joint : model.joints)
        out += "\t" + Place(joint.bind.translate, joint.bind.rotate) + "\n";
    out += "}\n";
    for (size_t f = 0; f < animation.frames.size(); ++f) {
        out += "\nframe " + std::to_string(f) + " {\n";
        for (const SkeletalPose& pose : animation.frames[f]) {
            std::string place = Place(pose.translate, pose.rotate);
            place.erase(std::remove(place.begin(), place.end(), '('), place.end());
            place.erase(std::remove(place.begin(), place.end(), ')'), place.end());
            out += "\t" + place + "\n";
        }
        out += "}\n";
    }
    return out;
}

}  // namespace writers

namespace writers {

namespace {

void PutBig32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutBigFloat(std::vector<uint8_t>& out, float value)
{
    uint32_t bits;
    memcpy(&bits, &value, 4);
    PutBig32(out, bits);
}


// A pose as the 3 x 4 matrix DPM keeps (rotation rows, then translation).
void PutPose(std::vector<uint8_t>& out, const SkeletalPose& pose)
{
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            float axis[3] = {0, 0, 0}, turned[3];
            axis[column] = 1;
            Rotate(pose.rotate, axis, turned);
            PutBigFloat(out, turned[row]);
        }
        PutBigFloat(out, pose.translate[row]);
    }
}

}  // namespace

std::vector<uint8_t> WriteDpm(const SkeletalModel& model)
{
    std::vector<Whole> wholes = Wholes(model.joints);
    // The frames: the bind pose, then every animation's, NAME_1, NAME_2...
    std::vector<std::pair<std::string, std::vector<SkeletalPose>>> frames = {{"base", {}}};
    for (const SkeletalJoint& joint : model.joints)
        frames[0].second.push_back(joint.bind);
    for (const SkeletalAnimation& animation : model.animations)
        for (size_t f = 0; f < animation.frames.size(); ++f)
            frames.push_back({animation.name + "_" + std::to_string(f + 1), animation.frames[f]});
    std::vector<uint8_t> out(16, 0);
    memcpy(out.data(), "DARKPLACESMODEL", 15);
    PutBig32(out, 2);
    PutBig32(out, 0);  // the file's size, set at the end
    for (int i = 0; i < 8; ++i)
        PutBigFloat(out, 0);
    size_t counts = out.size();
    out.resize(out.size() + 24);
    size_t ofsBones = out.size();
    for (const SkeletalJoint& joint : model.joints) {
        PutName(out, joint.name, 32);
        PutBig32(out, static_cast<uint32_t>(joint.parent));
        PutBig32(out, 0);
    }
    size_t ofsMeshes = out.size();
    out.resize(out.size() + 56 * model.meshes.size());
    for (size_t m = 0; m < model.meshes.size(); ++m) {
        const SkeletalMesh& mesh = model.meshes[m];
        std::vector<uint8_t> header;
        PutName(header, mesh.material, 32);
        PutBig32(header, static_cast<uint32_t>(mesh.vertices.size()));
        PutBig32(header, static_cast<uint32_t>(mesh.triangles.size() / 3));
        PutBig32(header, static_cast<uint32_t>(out.size()));
        for (const SkeletalVertex& vertex : mesh.vertices) {
            int used = 0;
            for (float w : vertex.weights)
                used += w > 0;
            PutBig32(out, static_cast<uint32_t>(used));
            for (int k = 0; k < 4; ++k) {
                if (vertex.weights[k] <= 0)
                    continue;
                const Whole& bone = wholes[vertex.joints[k]];
                float moved[3], local[3], normal[3], back[4] = {-bone.rotate[0], -bone.rotate[1], -bone.rotate[2],
                                                                 bone.rotate[3]};
                for (int a = 0; a < 3; ++a)
                    moved[a] = vertex.position[a] - bone.position[a];
                Rotate(back, moved, local);
                Rotate(back, vertex.normal, normal);
                for (int a = 0; a < 3; ++a)
                    PutBigFloat(out, vertex.weights[k] * local[a]);
                PutBigFloat(out, vertex.weights[k]);
                for (int a = 0; a < 3; ++a)
                    PutBigFloat(out, vertex.weights[k] * normal[a]);
                PutBig32(out, vertex.joints[k]);
            }
        }
        PutBig32(header, static_cast<uint32_t>(out.size()));
        for (const SkeletalVertex& vertex : mesh.vertices)
            PutBigFloat(out, vertex.texCoord[0]), PutBigFloat(out, vertex.texCoord[1]);
        PutBig32(header, static_cast<uint32_t>(out.size()));
        for (uint32_t index : mesh.triangles)
            PutBig32(out, index);
        PutBig32(header, static_cast<uint32_t>(out.size()));
        for (size_t t = 0; t < mesh.triangles.size() / 3; ++t)
            PutBig32(out, 0);
        std::copy(header.begin(), header.end(), out.begin() + static_cast<long>(ofsMeshes + 56 * m));
    }
    size_t ofsFrames = out.size();
    out.resize(out.size() + 68 * frames.size());
    for (size_t f = 0; f < frames.size(); ++f) {
        std::vector<uint8_t> header;
        PutName(header, frames[f].first, 32);
        for (int i = 0; i < 8; ++i)
            PutBigFloat(header, 0);
        PutBig32(header, static_cast<uint32_t>(out.size()));
        for (const SkeletalPose& pose : frames[f].second)
            PutPose(out, pose);
        std::copy(header.begin(), header.end(), out.begin() + static_cast<long>(ofsFrames + 68 * f));
    }
    std::vector<uint8_t> fields;
    for (size_t value : {model.joints.size(), model.meshes.size(), frames.size(), ofsBones, ofsMeshes, ofsFrames})
        PutBig32(fields, static_cast<uint32_t>(value));
    std::copy(fields.begin(), fields.end(), out.begin() + static_cast<long>(counts));
    std::vector<uint8_t> size;
    PutBig32(size, static_cast<uint32_t>(out.size()));
    std::copy(size.begin(), size.end(), out.begin() + 20);
    return out;
}

}  // namespace writers

namespace writers {

std::vector<uint8_t> WriteZym(const SkeletalModel& model)
{
    std::vector<Whole> wholes = Wholes(model.joints);
    std::vector<uint8_t> out(12);
    memcpy(out.data(), "ZYMOTICMODEL", 12);
    PutBig32(out, 1);
    PutBig32(out, 0);  // the file's size, set at the end
    for (int i = 0; i < 7; ++i)
        PutBigFloat(out, 0);
    uint32_t vertices = 0, triangles = 0;
    for (const SkeletalMesh& mesh : model.meshes)
        vertices += static_cast<uint32_t>(mesh.vertices.size()), triangles += static_cast<uint32_t>(mesh.triangles.size() / 3);
    for (size_t value : {size_t(vertices), size_t(triangles), model.meshes.size(), model.joints.size(),
                         model.animations.size() + 1})
        PutBig32(out, static_cast<uint32_t>(value));
    size_t lumps = out.size();
    out.resize(out.size() + 72);
    std::vector<std::pair<uint32_t, uint32_t>> at;
    auto begin = [&] { at.push_back({static_cast<uint32_t>(out.size()), 0}); };
    auto end = [&] { at.back().second = static_cast<uint32_t>(out.size()) - at.back().first; };
    // Scenes: "base" (the bind pose), then each animation, poses after each other.
    begin();
    uint32_t first = 0;
    for (size_t s = 0; s <= model.animations.size(); ++s) {
        uint32_t count = s ? static_cast<uint32_t>(model.animations[s - 1].frames.size()) : 1;
        PutName(out, s ? model.animations[s - 1].name : "base", 32);
        for (int i = 0; i < 7; ++i)
            PutBigFloat(out, 0);
        PutBigFloat(out, s ? model.animations[s - 1].fps : 10);
        PutBig32(out, 0);  // flags: loops
        PutBig32(out, first), PutBig32(out, count);
        first += count;
    }
    end();
    begin();
    for (const SkeletalJoint& joint : model.joints)
        PutPose(out, joint.bind);
    for (const SkeletalAnimation& animation : model.animations)
        for (const auto& frame : animation.frames)
            for (const SkeletalPose& pose : frame)
                PutPose(out, pose);
    end();
    begin();
    for (const SkeletalJoint& joint : model.joints) {
        PutName(out, joint.name, 32);
        PutBig32(out, 0);
        PutBig32(out, static_cast<uint32_t>(joint.parent));
    }
    end();
    begin();
    for (uint32_t v = 0; v < vertices; ++v)
        PutBig32(out, 1);
    end();
    begin();  // each vertex on its heaviest bone, in its space
    for (const SkeletalMesh& mesh : model.meshes)
        for (const SkeletalVertex& vertex : mesh.vertices) {
            int k = static_cast<int>(std::max_element(vertex.weights.begin(), vertex.weights.end()) - vertex.weights.begin());
            const Whole& bone = wholes[vertex.joints[k]];
            float moved[3], local[3], back[4] = {-bone.rotate[0], -bone.rotate[1], -bone.rotate[2], bone.rotate[3]};
            for (int a = 0; a < 3; ++a)
                moved[a] = vertex.position[a] - bone.position[a];
            Rotate(back, moved, local);
            PutBig32(out, vertex.joints[k]);
            for (float value : local)
                PutBigFloat(out, value);
        }
    end();
    begin();  // texture coordinates with t upwards, as ZYM keeps them
    for (const SkeletalMesh& mesh : model.meshes)
        for (const SkeletalVertex& vertex : mesh.vertices)
            PutBigFloat(out, vertex.texCoord[0]), PutBigFloat(out, 1 - vertex.texCoord[1]);
    end();
    begin();
    uint32_t base = 0;
    for (const SkeletalMesh& mesh : model.meshes) {
        PutBig32(out, static_cast<uint32_t>(mesh.triangles.size() / 3));
        for (uint32_t index : mesh.triangles)
            PutBig32(out, base + index);
        base += static_cast<uint32_t>(mesh.vertices.size());
    }
    end();
    begin();
    for (const SkeletalMesh& mesh : model.meshes)
        PutName(out, mesh.material, 32);
    end();
    begin();
    out.resize(out.size() + triangles, 0);  // the trizone
    end();
    std::vector<uint8_t> fields;
    for (const auto& lump : at)
        PutBig32(fields, lump.first), PutBig32(fields, lump.second);
    std::copy(fields.begin(), fields.end(), out.begin() + static_cast<long>(lumps));
    std::vector<uint8_t> size;
    PutBig32(size, static_cast<uint32_t>(out.size()));
    std::copy(size.begin(), size.end(), out.begin() + 16);
    return out;
}

}  // namespace writers
