#include "formats/md3.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "formats/byte_reader.h"
#include "platform/names.h"

namespace {

constexpr int kFrameSize = 56;
constexpr int kTagSize = 112;
constexpr int kShaderSize = 68;

struct Md3Header {
    int32_t ident, version;
    char name[kMd3NameSize];
    int32_t flags, numFrames, numTags, numSurfaces, numSkins;
    int32_t ofsFrames, ofsTags, ofsSurfaces, ofsEnd;
};
static_assert(sizeof(Md3Header) == kMd3HeaderSize, "the header is read in one piece");

struct SurfaceHeader {
    int32_t ident;
    char name[kMd3NameSize];
    int32_t flags, numFrames, numShaders, numVertices, numTriangles;
    int32_t ofsTriangles, ofsShaders, ofsTexCoords, ofsVertices, ofsEnd;
};
static_assert(sizeof(SurfaceHeader) == kMd3SurfaceHeaderSize, "the header is read in one piece");

std::string Name(const char* text, size_t size)
{
    return TextName(text, size);
}

void SwapInts(int32_t* first, int32_t* last)
{
    for (int32_t* field = first; field <= last; ++field)
        EndianSwap32(field);
}

bool ReadFloats(ByteReader& reader, float* out, int count)
{
    for (int i = 0; i < count; ++i) {
        if (!ReadBytes(reader, &out[i], 4))
            return false;
        EndianSwap32(&out[i]);
    }
    return true;
}

// A count of the model's or a surface's (who) against its limit; false after a report.
bool CountFits(const char* what, int32_t count, int32_t limit, const std::string& who, Reports& reports)
{
    if (count >= 0 && count <= limit)
        return true;
    AddReport(reports, "ReadMd3: %s has %d %s, outside 0 to %d", who.c_str(), count, what, limit);
    return false;
}

// A block of the model's or a surface's (who) against its end; false after a report.
bool BlockInFile(const char* what, size_t size, int64_t offset, int64_t count, int64_t itemSize,
                 const std::string& who, Reports& reports)
{
    if (BlockFits(size, offset, count, itemSize))
        return true;
    AddReport(reports, "ReadMd3: %s: the %s (offset %lld, %lld of %lld bytes) run past its end (%zu bytes)",
              who.c_str(), what, static_cast<long long>(offset), static_cast<long long>(count),
              static_cast<long long>(itemSize), size);
    return false;
}

bool ReadFrames(const std::vector<uint8_t>& bytes, const Md3Header& h, Md3File& file, Reports& reports)
{
    if (!BlockInFile("frames", bytes.size(), h.ofsFrames, h.numFrames, kFrameSize, "the model", reports))
        return false;
    ByteReader reader{bytes.data(), bytes.size(), static_cast<size_t>(h.ofsFrames)};
    file.frames.resize(h.numFrames);
    for (Md3Frame& frame : file.frames) {
        char name[16];
        ReadFloats(reader, frame.min, 3), ReadFloats(reader, frame.max, 3), ReadFloats(reader, frame.origin, 3);
        ReadFloats(reader, &frame.radius, 1);
        ReadBytes(reader, name, sizeof name);
        frame.name = Name(name, sizeof name);
    }
    return true;
}

// The engines use any finite tag as it is (axes of any length are made
// square and unit where it is used).
bool TagIsSound(const Md3Tag& tag)
{
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(tag.origin[i]))
            return false;
        for (int k = 0; k < 3; ++k)
            if (!std::isfinite(tag.axis[i][k]))
                return false;
    }
    return true;
}

// The tags of the names in refused left out of every frame.
void LeaveOutTags(Md3File& file, const std::vector<bool>& refused)
{
    std::vector<Md3Tag> kept;
    for (size_t i = 0; i < file.tags.size(); ++i)
        if (!refused[i % file.numTags])
            kept.push_back(std::move(file.tags[i]));
    file.numTags -= static_cast<int32_t>(std::count(refused.begin(), refused.end(), true));
    file.tags = std::move(kept);
}

bool ReadTags(const std::vector<uint8_t>& bytes, const Md3Header& h, Md3File& file, Reports& reports)
{
    int64_t count = int64_t(h.numFrames) * h.numTags;
    if (!BlockInFile("tags", bytes.size(), h.ofsTags, count, kTagSize, "the model", reports))
        return false;
    ByteReader reader{bytes.data(), bytes.size(), static_cast<size_t>(h.ofsTags)};
    file.numTags = h.numTags;
    file.tags.resize(static_cast<size_t>(count));
    std::vector<bool> refused(h.numTags, false);
    for (size_t i = 0; i < file.tags.size(); ++i) {
        Md3Tag& tag = file.tags[i];
        char name[kMd3NameSize];
        ReadBytes(reader, name, sizeof name);
        tag.name = Name(name, sizeof name);
        ReadFloats(reader, tag.origin, 3);
        ReadFloats(reader, &tag.axis[0][0], 9);
        if (!TagIsSound(tag) && !refused[i % h.numTags]) {
            refused[i % h.numTags] = true;
            AddReport(reports, "ReadMd3: tag \"%s\" of frame %zu has an origin or axis that is not a finite "
                               "number; the tag is left out",
                      tag.name.c_str(), i / h.numTags);
        }
    }
    if (std::find(refused.begin(), refused.end(), true) != refused.end())
        LeaveOutTags(file, refused);
    return true;
}

// The surface's header, its counts checked against the limits and its
// blocks against the surface's end; false after a report.
bool CheckSurface(const SurfaceHeader& s, const Md3Header& h, int index, int64_t room, Reports& reports)
{
    std::string where = "surface " + std::to_string(index);
    if (s.ident != kMd3Ident) {
        AddReport(reports, "ReadMd3: %s is not a surface because its tag is: %X", where.c_str(),
                  static_cast<unsigned>(s.ident));
        return false;
    }
    if (s.numFrames != h.numFrames) {
        AddReport(reports, "ReadMd3: %s has %d frames but the model has %d", where.c_str(), s.numFrames,
                  h.numFrames);
        return false;
    }
    if (!CountFits("shaders", s.numShaders, kMd3MaxShaders, where, reports) ||
        !CountFits("vertices", s.numVertices, kMd3MaxVertices, where, reports) ||
        !CountFits("triangles", s.numTriangles, kMd3MaxTriangles, where, reports))
        return false;
    if (s.ofsEnd < kMd3SurfaceHeaderSize || s.ofsEnd > room) {
        AddReport(reports, "ReadMd3: %s ends at %d, past the %lld bytes left in the file", where.c_str(), s.ofsEnd,
                  static_cast<long long>(room));
        return false;
    }
    size_t size = static_cast<size_t>(s.ofsEnd);
    return BlockInFile("triangles", size, s.ofsTriangles, s.numTriangles, 12, where, reports) &&
           BlockInFile("shaders", size, s.ofsShaders, s.numShaders, kShaderSize, where, reports) &&
           BlockInFile("texture coordinates", size, s.ofsTexCoords, s.numVertices, 8, where, reports) &&
           BlockInFile("vertices", size, s.ofsVertices, int64_t(s.numVertices) * s.numFrames, 8, where, reports);
}

bool ReadSurfaceBlocks(const uint8_t* start, const SurfaceHeader& s, int index, Md3Surface& surface,
                       Reports& reports)
{
    ByteReader reader{start, static_cast<size_t>(s.ofsEnd), 0};
    surface.shaders.resize(s.numShaders);
    ReaderSeek(reader, s.ofsShaders);
    for (std::string& shader : surface.shaders) {
        char name[kShaderSize];
        ReadBytes(reader, name, sizeof name);
        shader = Name(name, kMd3NameSize);
    }
    surface.triangles.resize(3 * static_cast<size_t>(s.numTriangles));
    ReaderSeek(reader, s.ofsTriangles);
    for (size_t i = 0; i < surface.triangles.size(); ++i) {
        int32_t vertex = 0;
        ReadInt32(reader, &vertex);
        if (vertex < 0 || vertex >= s.numVertices) {
            AddReport(reports, "ReadMd3: triangle %zu of surface %d uses vertex %d but the surface has %d", i / 3,
                      index, vertex, s.numVertices);
            return false;
        }
        surface.triangles[i] = static_cast<uint32_t>(vertex);
    }
    surface.texCoords.resize(2 * static_cast<size_t>(s.numVertices));
    ReaderSeek(reader, s.ofsTexCoords);
    ReadFloats(reader, surface.texCoords.data(), static_cast<int>(surface.texCoords.size()));
    for (float st : surface.texCoords) {
        if (!std::isfinite(st)) {
            AddReport(reports, "ReadMd3: surface %d has a texture coordinate that is not a finite number", index);
            return false;
        }
    }
    surface.vertices.resize(static_cast<size_t>(s.numVertices) * s.numFrames);
    ReaderSeek(reader, s.ofsVertices);
    for (Md3Vertex& v : surface.vertices) {
        int16_t values[4];
        for (int16_t& value : values)
            ReadInt16(reader, &value);
        v = {values[0], values[1], values[2], static_cast<uint16_t>(values[3])};
    }
    return true;
}

bool ReadSurfaces(const std::vector<uint8_t>& bytes, const Md3Header& h, Md3File& file, Reports& reports)
{
    int64_t offset = h.ofsSurfaces;
    file.surfaces.resize(h.numSurfaces);
    for (int i = 0; i < h.numSurfaces; ++i) {
        SurfaceHeader s;
        if (!BlockInFile("header", bytes.size(), offset, 1, kMd3SurfaceHeaderSize, "surface " + std::to_string(i),
                         reports))
            return false;
        memcpy(&s, bytes.data() + offset, sizeof s);
        EndianSwap32(&s.ident);
        SwapInts(&s.flags, &s.ofsEnd);
        if (!CheckSurface(s, h, i, static_cast<int64_t>(bytes.size()) - offset, reports) ||
            !ReadSurfaceBlocks(bytes.data() + offset, s, i, file.surfaces[i], reports))
            return false;
        file.surfaces[i].name = Name(s.name, sizeof s.name);
        file.surfaces[i].numVertices = s.numVertices;
        offset += s.ofsEnd;
    }
    return true;
}

}  // namespace

const Md3Tag* FindMd3Tag(const Md3File& file, int frame, const std::string& name)
{
    for (int t = 0; t < file.numTags; ++t) {
        const Md3Tag& tag = file.tags[static_cast<size_t>(frame) * file.numTags + t];
        if (tag.name == name)
            return &tag;
    }
    return nullptr;
}

std::unique_ptr<Md3File> ReadMd3(const std::vector<uint8_t>& bytes, Reports& reports)
{
    Md3Header h;
    if (bytes.size() < sizeof h) {
        AddReport(reports, "ReadMd3: Couldn't read in the md3 header");
        return nullptr;
    }
    memcpy(&h, bytes.data(), sizeof h);
    EndianSwap32(&h.ident);
    EndianSwap32(&h.version);
    SwapInts(&h.flags, &h.ofsEnd);
    if (h.ident != kMd3Ident) {
        AddReport(reports, "ReadMd3: file is not a md3 file because tag is: %X", static_cast<unsigned>(h.ident));
        return nullptr;
    }
    if (h.version != kMd3Version) {
        AddReport(reports, "ReadMd3: file is not correct version because version is: %d", h.version);
        return nullptr;
    }
    if (!CountFits("frames", h.numFrames, kMd3MaxFrames, "the model", reports) ||
        !CountFits("tags", h.numTags, kMd3MaxTags, "the model", reports) ||
        !CountFits("surfaces", h.numSurfaces, kMd3MaxSurfaces, "the model", reports))
        return nullptr;
    if (h.numFrames == 0) {
        AddReport(reports, "ReadMd3: the file has no frames");
        return nullptr;
    }
    auto file = std::make_unique<Md3File>();
    file->name = Name(h.name, sizeof h.name);
    if (!ReadFrames(bytes, h, *file, reports) || !ReadTags(bytes, h, *file, reports) ||
        !ReadSurfaces(bytes, h, *file, reports))
        return nullptr;
    return file;
}
