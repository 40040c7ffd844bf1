#include "formats/iqm.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "formats/byte_reader.h"
#include "platform/names.h"

namespace {

struct Header {
    char magic[16];
    uint32_t version, fileSize, flags;
    uint32_t numText, ofsText;
    uint32_t numMeshes, ofsMeshes;
    uint32_t numVertexArrays, numVertexes, ofsVertexArrays;
    uint32_t numTriangles, ofsTriangles, ofsAdjacency;
    uint32_t numJoints, ofsJoints;
    uint32_t numPoses, ofsPoses;
    uint32_t numAnims, ofsAnims;
    uint32_t numFrames, numFrameChannels, ofsFrames, ofsBounds;
    uint32_t numComment, ofsComment;
    uint32_t numExtensions, ofsExtensions;
};
static_assert(sizeof(Header) == kIqmHeaderSize, "the header is read in one piece");

enum ArrayType { kPosition = 0, kTexCoord = 1, kNormal = 2, kTangent = 3, kBlendIndexes = 4, kBlendWeights = 5,
                 kColour = 6 };
const int kFormatSizes[] = {1, 1, 2, 2, 4, 4, 2, 4, 8};  // byte, ubyte, short, ushort, int, uint, half, float, double

class Reader {
public:
    Reader(const std::vector<uint8_t>& bytes, Reports& reports) : bytes_(bytes), reports_(reports) {}

    bool Fault(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        char text[1024];
        va_list args;
        va_start(args, format);
        vsnprintf(text, sizeof text, format, args);
        va_end(args);
        AddReport(reports_, "ReadIqm: %s", text);
        return false;
    }

    bool Block(const char* what, uint32_t offset, uint64_t count, uint64_t size)
    {
        if (BlockFits(file_, offset, static_cast<int64_t>(count), static_cast<int64_t>(size)))
            return true;
        return Fault("the %s (offset %u, %llu of %llu bytes) run past the end of the file (%zu bytes)", what, offset,
                     static_cast<unsigned long long>(count), static_cast<unsigned long long>(size), file_);
    }

    uint32_t U32(size_t at) const
    {
        uint32_t v;
        memcpy(&v, bytes_.data() + at, 4);
        EndianSwap32(&v);
        return v;
    }

    float F32(size_t at) const
    {
        float v;
        memcpy(&v, bytes_.data() + at, 4);
        EndianSwap32(&v);
        return v;
    }

    bool Text(uint32_t offset, std::string& out)
    {
        if (offset >= h.numText)
            return Fault("a name at %u lies past the %u bytes of text", offset, h.numText);
        const char* start = reinterpret_cast<const char*>(bytes_.data()) + h.ofsText + offset;
        size_t length = strnlen(start, h.numText - offset);
        if (length == h.numText - offset)
            return Fault("a name at %u runs past the end of the text", offset);
        out = AsText(std::string(start, length));
        return true;
    }

    bool ReadHeader()
    {
        if (bytes_.size() < sizeof h)
            return Fault("the file is shorter than its header");
        memcpy(&h, bytes_.data(), sizeof h);
        if (memcmp(h.magic, "INTERQUAKEMODEL", 16) != 0)
            return Fault("the file is not an IQM file");
        for (uint32_t* field = &h.version; field <= &h.ofsExtensions; ++field)
            EndianSwap32(field);
        if (h.version != kIqmVersion)
            return Fault("the file is version %u, not 2", h.version);
        if (h.fileSize > bytes_.size())
            return Fault("the header says %u bytes but the file has %zu", h.fileSize, bytes_.size());
        file_ = h.fileSize;
        return Block("text", h.ofsText, h.numText, 1) && Block("meshes", h.ofsMeshes, h.numMeshes, 24) &&
               Block("vertex arrays", h.ofsVertexArrays, h.numVertexArrays, 20) &&
               Block("triangles", h.ofsTriangles, h.numTriangles, 12) && Block("joints", h.ofsJoints, h.numJoints, 48) &&
               Block("poses", h.ofsPoses, h.numPoses, 88) && Block("animations", h.ofsAnims, h.numAnims, 20) &&
               Block("frames", h.ofsFrames, uint64_t(h.numFrames) * h.numFrameChannels, 2) &&
               (h.ofsBounds == 0 || Block("bounds", h.ofsBounds, h.numFrames, 32));
    }

    // One vertex array as floats, size of them a vertex; ubyte and ushort weights run 0 to 1.
    bool Array(size_t at, uint32_t type, IqmFile& out)
    {
        uint32_t format = U32(at + 8), size = U32(at + 12), offset = U32(at + 16);
        const uint32_t wanted[] = {3, 2, 3, 4, 4, 4, 4};
        if (type > kColour)
            return true;  // custom arrays are the game's own
        if (format > 8 || format == 6 || size != wanted[type])
            return Fault("vertex array %u has format %u and size %u, which are not read", type, format, size);
        if (!Block("vertex array", offset, uint64_t(h.numVertexes) * size, kFormatSizes[format]))
            return false;
        std::vector<float> values(uint64_t(h.numVertexes) * size);
        const uint8_t* p = bytes_.data() + offset;
        bool normalized = type == kBlendWeights || type == kColour;
        for (size_t i = 0; i < values.size(); ++i)
            values[i] = Value(p + i * kFormatSizes[format], format, normalized);
        switch (type) {
        case kPosition: out.positions = std::move(values); break;
        case kTexCoord: out.texCoords = std::move(values); break;
        case kNormal: out.normals = std::move(values); break;
        case kBlendIndexes:
            out.blendIndexes.resize(values.size());
            for (size_t i = 0; i < values.size(); ++i) {
                if (!(values[i] >= 0 && values[i] < 256))
                    return Fault("a blend index is %g, outside 0 to 255", static_cast<double>(values[i]));
                out.blendIndexes[i] = static_cast<uint8_t>(values[i]);
            }
            break;
        case kBlendWeights: out.blendWeights = std::move(values); break;
        default: break;  // tangents and colours are not drawn here
        }
        return true;
    }

    static float Value(const uint8_t* p, uint32_t format, bool normalized)
    {
        uint8_t raw[8];
        memcpy(raw, p, kFormatSizes[format]);
        switch (format) {
        case 0: return normalized ? static_cast<int8_t>(raw[0]) / 127.0f : static_cast<int8_t>(raw[0]);
        case 1: return normalized ? raw[0] / 255.0f : raw[0];
        case 2: { int16_t v; memcpy(&v, raw, 2); EndianSwap16(&v); return normalized ? v / 32767.0f : v; }
        case 3: { uint16_t v; memcpy(&v, raw, 2); EndianSwap16(&v); return normalized ? v / 65535.0f : v; }
        case 4: { int32_t v; memcpy(&v, raw, 4); EndianSwap32(&v); return static_cast<float>(v); }
        case 5: { uint32_t v; memcpy(&v, raw, 4); EndianSwap32(&v); return static_cast<float>(v); }
        case 7: { float v; memcpy(&v, raw, 4); EndianSwap32(&v); return v; }
        default: { double v; memcpy(&v, raw, 8); return static_cast<float>(v); }
        }
    }

    bool Vertices(IqmFile& out)
    {
        out.vertexCount = h.numVertexes;
        for (uint32_t i = 0; i < h.numVertexArrays; ++i)
            if (!Array(h.ofsVertexArrays + 20 * size_t(i), U32(h.ofsVertexArrays + 20 * size_t(i)), out))
                return false;
        if (h.numVertexes > 0 && out.positions.empty()) {
            if (h.numMeshes > 0)
                return Fault("the file has %u vertices but no positions", h.numVertexes);
            h.numVertexes = out.vertexCount = 0;  // a file of animations only: its count means nothing
        }
        if (out.texCoords.empty())
            out.texCoords.assign(2 * size_t(h.numVertexes), 0.0f);
        for (float value : out.positions)
            if (!std::isfinite(value))
                return Fault("a vertex position is not a finite number");
        if (out.blendIndexes.empty() != out.blendWeights.empty())
            return Fault("the file has blend indexes or weights but not both");
        for (size_t i = 0; i < out.blendIndexes.size(); ++i) {
            if (!(out.blendWeights[i] >= 0) || !std::isfinite(out.blendWeights[i]))
                return Fault("vertex %zu has a weight that is negative or not a number", i / 4);
            if (out.blendWeights[i] > 0 && out.blendIndexes[i] >= h.numJoints && h.numJoints > 0)
                return Fault("vertex %zu is weighted to joint %u but the file has %u", i / 4, out.blendIndexes[i],
                             h.numJoints);
        }
        return true;
    }

    bool Triangles(IqmFile& out)
    {
        out.triangles.resize(3 * size_t(h.numTriangles));
        for (size_t i = 0; i < out.triangles.size(); ++i) {
            out.triangles[i] = U32(h.ofsTriangles + 4 * i);
            if (out.triangles[i] >= h.numVertexes)
                return Fault("triangle %zu uses vertex %u but the file has %u", i / 3, out.triangles[i],
                             h.numVertexes);
        }
        for (uint32_t m = 0; m < h.numMeshes; ++m) {
            size_t at = h.ofsMeshes + 24 * size_t(m);
            IqmMesh mesh;
            if (!Text(U32(at), mesh.name) || !Text(U32(at + 4), mesh.material))
                return false;
            mesh.firstVertex = U32(at + 8), mesh.vertexCount = U32(at + 12);
            mesh.firstTriangle = U32(at + 16), mesh.triangleCount = U32(at + 20);
            if (uint64_t(mesh.firstVertex) + mesh.vertexCount > h.numVertexes ||
                uint64_t(mesh.firstTriangle) + mesh.triangleCount > h.numTriangles)
                return Fault("mesh %u runs past the file's vertices or triangles", m);
            for (uint64_t i = 3 * uint64_t(mesh.firstTriangle); i < 3 * (uint64_t(mesh.firstTriangle) + mesh.triangleCount); ++i)
                if (out.triangles[i] < mesh.firstVertex || out.triangles[i] >= mesh.firstVertex + mesh.vertexCount)
                    return Fault("mesh %u has a triangle of a vertex outside it", m);
            out.meshes.push_back(mesh);
        }
        return true;
    }

    bool Joints(IqmFile& out)
    {
        for (uint32_t j = 0; j < h.numJoints; ++j) {
            size_t at = h.ofsJoints + 48 * size_t(j);
            IqmJoint joint;
            if (!Text(U32(at), joint.name))
                return false;
            joint.parent = static_cast<int32_t>(U32(at + 4));
            if (joint.parent < -1 || joint.parent >= static_cast<int32_t>(j))
                return Fault("joint %u (\"%s\") has parent %d, not one before it", j, joint.name.c_str(),
                             joint.parent);
            float* fields[3] = {joint.translate, joint.rotate, joint.scale};
            const int sizes[3] = {3, 4, 3};
            size_t offset = at + 8;
            for (int f = 0; f < 3; ++f)
                for (int k = 0; k < sizes[f]; ++k, offset += 4)
                    if (!std::isfinite(fields[f][k] = F32(offset)))
                        return Fault("joint %u has a number that is not finite", j);
            out.joints.push_back(joint);
        }
        return true;
    }

    bool Poses(IqmFile& out)
    {
        uint64_t channels = 0;
        for (uint32_t p = 0; p < h.numPoses; ++p) {
            size_t at = h.ofsPoses + 88 * size_t(p);
            IqmPose pose;
            pose.parent = static_cast<int32_t>(U32(at));
            pose.mask = U32(at + 4);
            if (pose.parent < -1 || pose.parent >= static_cast<int32_t>(p))
                return Fault("pose %u has parent %d, not one before it", p, pose.parent);
            for (int c = 0; c < 10; ++c) {
                pose.offset[c] = F32(at + 8 + 4 * c);
                pose.scale[c] = F32(at + 48 + 4 * c);
                if (!std::isfinite(pose.offset[c]) || !std::isfinite(pose.scale[c]))
                    return Fault("pose %u has a number that is not finite", p);
                channels += (pose.mask >> c) & 1;
            }
            out.poses.push_back(pose);
        }
        if (channels != h.numFrameChannels)
            return Fault("the poses animate %llu channels but the frames hold %u",
                         static_cast<unsigned long long>(channels), h.numFrameChannels);
        return true;
    }

    bool Frames(IqmFile& out)
    {
        // Frames whose channels are all fixed take no bytes: what the file can mean is bounded still.
        if (uint64_t(h.numFrames) * out.poses.size() > 4 * uint64_t(file_) + 4096)
            return Fault("%u frames of %zu poses are more than the file can hold", h.numFrames, out.poses.size());
        out.frameCount = h.numFrames;
        out.frames.resize(size_t(h.numFrames) * out.poses.size() * 10);
        size_t at = h.ofsFrames, value = 0;
        for (uint32_t f = 0; f < h.numFrames; ++f) {
            for (const IqmPose& pose : out.poses) {
                for (int c = 0; c < 10; ++c, ++value) {
                    out.frames[value] = pose.offset[c];
                    if ((pose.mask >> c) & 1) {
                        uint16_t step;
                        memcpy(&step, bytes_.data() + at, 2);
                        EndianSwap16(&step);
                        at += 2;
                        out.frames[value] += step * pose.scale[c];
                    }
                }
            }
        }
        for (size_t i = 0; h.ofsBounds != 0 && i < 8 * size_t(h.numFrames); ++i)
            out.bounds.push_back(F32(h.ofsBounds + 4 * i));
        for (uint32_t a = 0; a < h.numAnims; ++a) {
            size_t at2 = h.ofsAnims + 20 * size_t(a);
            IqmAnimation animation;
            if (!Text(U32(at2), animation.name))
                return false;
            animation.firstFrame = U32(at2 + 4), animation.frameCount = U32(at2 + 8);
            animation.framerate = F32(at2 + 12);
            animation.loop = (U32(at2 + 16) & 1) != 0;
            if (uint64_t(animation.firstFrame) + animation.frameCount > h.numFrames)
                return Fault("animation \"%s\" (frames %u to %llu) runs past the %u frames", animation.name.c_str(),
                             animation.firstFrame,
                             static_cast<unsigned long long>(uint64_t(animation.firstFrame) + animation.frameCount) - 1,
                             h.numFrames);
            if (!(animation.framerate > 0) || !std::isfinite(animation.framerate))
                animation.framerate = 0;
            out.animations.push_back(animation);
        }
        return true;
    }

    Header h;

private:
    const std::vector<uint8_t>& bytes_;
    Reports& reports_;
    size_t file_ = 0;
};

}  // namespace

std::unique_ptr<IqmFile> ReadIqm(const std::vector<uint8_t>& bytes, Reports& reports)
{
    Reader reader(bytes, reports);
    auto file = std::make_unique<IqmFile>();
    if (!reader.ReadHeader() || !reader.Vertices(*file) || !reader.Triangles(*file) || !reader.Joints(*file) ||
        !reader.Poses(*file) || !reader.Frames(*file))
        return nullptr;
    return file;
}
