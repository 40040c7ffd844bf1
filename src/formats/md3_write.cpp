// The record as an MD3 file, in the layout id's tools wrote: the header,
// frames, tags, then each surface whole (its header, shaders, triangles,
// texture coordinates, vertices), offsets from the surface's start.
#include "formats/byte_writer.h"
#include "formats/md3.h"

namespace {

constexpr int32_t kFrameBytes = 56, kTagBytes = 112, kShaderBytes = 68;

size_t SurfaceSize(const Md3Surface& surface, int32_t frames)
{
    return kMd3SurfaceHeaderSize + kShaderBytes * surface.shaders.size() + 4 * surface.triangles.size() +
           8 * size_t(surface.numVertices) + 8 * size_t(surface.numVertices) * frames;
}

// The vertices, frame after frame: four little-endian shorts each, stored straight into place.
void AppendVertices(std::vector<uint8_t>& out, const std::vector<Md3Vertex>& vertices)
{
    size_t at = out.size();
    out.resize(at + 8 * vertices.size());
    uint8_t* p = out.data() + at;
    for (const Md3Vertex& v : vertices) {
        const uint16_t values[4] = {static_cast<uint16_t>(v.x), static_cast<uint16_t>(v.y),
                                    static_cast<uint16_t>(v.z), v.normal};
        for (uint16_t value : values)
            *p++ = static_cast<uint8_t>(value & 0xFF), *p++ = static_cast<uint8_t>(value >> 8);
    }
}

void AppendSurface(std::vector<uint8_t>& out, const Md3Surface& surface, int32_t frames)
{
    int32_t shaders = static_cast<int32_t>(surface.shaders.size());
    int32_t triangles = static_cast<int32_t>(surface.triangles.size() / 3), vertices = surface.numVertices;
    int32_t ofsShaders = kMd3SurfaceHeaderSize, ofsTriangles = ofsShaders + kShaderBytes * shaders;
    int32_t ofsSt = ofsTriangles + 12 * triangles, ofsXyz = ofsSt + 8 * vertices;
    int32_t ofsEnd = ofsXyz + 8 * vertices * frames;
    AppendInt32(out, kMd3Ident);
    AppendName(out, surface.name, kMd3NameSize);
    for (int32_t value : {0, frames, shaders, vertices, triangles, ofsTriangles, ofsShaders, ofsSt, ofsXyz, ofsEnd})
        AppendInt32(out, value);
    for (int32_t s = 0; s < shaders; ++s) {
        AppendName(out, surface.shaders[s], kMd3NameSize);
        AppendInt32(out, 0);  // the engine's own index, set as it loads
    }
    for (uint32_t index : surface.triangles)
        AppendInt32(out, static_cast<int32_t>(index));
    AppendFloats(out, surface.texCoords.data(), 2 * vertices);
    AppendVertices(out, surface.vertices);
}

}  // namespace

std::vector<uint8_t> WriteMd3(const Md3File& file)
{
    int32_t frames = FrameCount(file), tags = file.numTags;
    int32_t surfaces = static_cast<int32_t>(file.surfaces.size());
    int32_t ofsFrames = kMd3HeaderSize, ofsTags = ofsFrames + kFrameBytes * frames;
    int32_t ofsSurfaces = ofsTags + kTagBytes * tags * frames;
    size_t size = ofsSurfaces;
    for (const Md3Surface& surface : file.surfaces)
        size += SurfaceSize(surface, frames);
    std::vector<uint8_t> out;
    out.reserve(size);
    AppendInt32(out, kMd3Ident);
    AppendInt32(out, kMd3Version);
    AppendName(out, file.name, kMd3NameSize);
    for (int32_t value : {0, frames, tags, surfaces, 0, ofsFrames, ofsTags, ofsSurfaces, 0})
        AppendInt32(out, value);
    for (const Md3Frame& frame : file.frames) {
        AppendFloats(out, frame.min, 3), AppendFloats(out, frame.max, 3), AppendFloats(out, frame.origin, 3);
        AppendFloat(out, frame.radius);
        AppendFieldName(out, frame.name, 16);
    }
    for (const Md3Tag& tag : file.tags) {
        AppendName(out, tag.name, kMd3NameSize);
        AppendFloats(out, tag.origin, 3);
        AppendFloats(out, &tag.axis[0][0], 9);
    }
    for (const Md3Surface& surface : file.surfaces)
        AppendSurface(out, surface, frames);
    PatchInt32(out, kMd3HeaderSize - 4, static_cast<int32_t>(out.size()));  // ofsEnd
    return out;
}
