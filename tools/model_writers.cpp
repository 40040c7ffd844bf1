#include "model_writers.h"

#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace writers {

namespace {

void AppendBytes(std::vector<uint8_t>& out, const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

void AppendInt32(std::vector<uint8_t>& out, int32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
}

void AppendFloat(std::vector<uint8_t>& out, float value)
{
    int32_t bits;
    memcpy(&bits, &value, 4);
    AppendInt32(out, bits);
}

void AppendInt16(std::vector<uint8_t>& out, int16_t value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((static_cast<uint16_t>(value) >> 8) & 0xFF));
}

void AppendText(std::vector<uint8_t>& out, const std::string& text, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        out.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

void AppendVertex(std::vector<uint8_t>& out, const Vertex& v)
{
    out.push_back(v.x);
    out.push_back(v.y);
    out.push_back(v.z);
    out.push_back(v.normal);
}

void AppendFrameBody(std::vector<uint8_t>& out, const Frame& frame)
{
    AppendText(out, frame.name, 16);
    for (const Vertex& v : frame.vertices)
        AppendVertex(out, v);
}

}  // namespace

namespace {

std::vector<uint8_t> Md3SurfaceBytes(const Md3Surface& surface)
{
    int32_t vertices = surface.frames.empty() ? 0 : static_cast<int32_t>(surface.frames[0].size());
    int32_t ofsShaders = 108, ofsTriangles = ofsShaders + 68 * static_cast<int32_t>(surface.shaders.size());
    int32_t ofsSt = ofsTriangles + 12 * static_cast<int32_t>(surface.triangles.size());
    int32_t ofsXyz = ofsSt + 8 * vertices;
    int32_t ofsEnd = ofsXyz + 8 * vertices * static_cast<int32_t>(surface.frames.size());
    std::vector<uint8_t> out;
    AppendText(out, "IDP3", 4);
    AppendText(out, surface.name, 64);
    for (int32_t value : {0, static_cast<int32_t>(surface.frames.size()), static_cast<int32_t>(surface.shaders.size()),
                          vertices, static_cast<int32_t>(surface.triangles.size()), ofsTriangles, ofsShaders, ofsSt,
                          ofsXyz, ofsEnd})
        AppendInt32(out, value);
    for (size_t i = 0; i < surface.shaders.size(); ++i) {
        AppendText(out, surface.shaders[i], 64);
        AppendInt32(out, static_cast<int32_t>(i));
    }
    for (const auto& triangle : surface.triangles)
        for (int32_t index : triangle)
            AppendInt32(out, index);
    for (const auto& st : surface.texCoords)
        AppendFloat(out, st[0]), AppendFloat(out, st[1]);
    for (const auto& frame : surface.frames)
        for (const Md3Vertex& v : frame)
            AppendInt16(out, v.x), AppendInt16(out, v.y), AppendInt16(out, v.z),
                AppendInt16(out, static_cast<int16_t>(v.normal));
    return out;
}

}  // namespace

std::vector<uint8_t> WriteMd3(const Md3Model& model)
{
    int32_t frames = static_cast<int32_t>(model.frameNames.size());
    int32_t tags = model.tags.empty() ? 0 : static_cast<int32_t>(model.tags[0].size());
    int32_t ofsTags = 108 + 56 * frames, ofsSurfaces = ofsTags + 112 * frames * tags;
    std::vector<uint8_t> surfaces;
    for (const Md3Surface& surface : model.surfaces) {
        std::vector<uint8_t> bytes = Md3SurfaceBytes(surface);
        surfaces.insert(surfaces.end(), bytes.begin(), bytes.end());
    }
    std::vector<uint8_t> out;
    AppendText(out, "IDP3", 4);
    AppendInt32(out, 15);
    AppendText(out, "fixture.md3", 64);
    for (int32_t value : {0, frames, tags, static_cast<int32_t>(model.surfaces.size()), 0, 108, ofsTags, ofsSurfaces,
                          ofsSurfaces + static_cast<int32_t>(surfaces.size())})
        AppendInt32(out, value);
    for (const std::string& name : model.frameNames) {
        for (float value : {-1.f, -1.f, -1.f, 1.f, 1.f, 1.f, 0.f, 0.f, 0.f, 1.f})
            AppendFloat(out, value);
        AppendText(out, name, 16);
    }
    for (const auto& frameTags : model.tags)
        for (const Md3Tag& tag : frameTags) {
            AppendText(out, tag.name, 64);
            for (float value : tag.origin)
                AppendFloat(out, value);
            for (const auto& row : tag.axis)
                for (float value : row)
                    AppendFloat(out, value);
        }
    out.insert(out.end(), surfaces.begin(), surfaces.end());
    return out;
}

namespace {

// A surface of base frames and offsets from them, as WriteMdc says.
std::vector<uint8_t> MdcSurfaceBytes(const Md3Surface& surface, const std::vector<bool>& base)
{
    int32_t vertices = static_cast<int32_t>(surface.frames[0].size()), frames = static_cast<int32_t>(base.size());
    std::vector<int16_t> baseOf, compressedOf;
    std::vector<uint8_t> bases, compressed;
    for (int32_t f = 0; f < frames; ++f) {
        if (base[f]) {
            baseOf.push_back(static_cast<int16_t>(bases.size() / (8 * vertices))), compressedOf.push_back(-1);
            for (const Md3Vertex& v : surface.frames[f])
                AppendInt16(bases, v.x), AppendInt16(bases, v.y), AppendInt16(bases, v.z),
                    AppendInt16(bases, static_cast<int16_t>(v.normal));
            continue;
        }
        baseOf.push_back(baseOf.back());
        compressedOf.push_back(static_cast<int16_t>(compressed.size() / (4 * vertices)));
        int32_t from = f;
        while (!base[from])
            --from;
        for (int32_t v = 0; v < vertices; ++v) {
            const Md3Vertex &a = surface.frames[from][v], &b = surface.frames[f][v];
            uint32_t packed = uint32_t(255 - v % 256) << 24;
            int32_t moved[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
            for (int k = 0; k < 3; ++k)
                packed |= uint32_t(std::lround(moved[k] / 64.0 / 0.05) + 127) << (8 * k);
            AppendInt32(compressed, static_cast<int32_t>(packed));
        }
    }
    int32_t ofsShaders = 124, ofsTriangles = ofsShaders + 68 * static_cast<int32_t>(surface.shaders.size());
    int32_t ofsSt = ofsTriangles + 12 * static_cast<int32_t>(surface.triangles.size()), ofsXyz = ofsSt + 8 * vertices;
    int32_t ofsCompressed = ofsXyz + static_cast<int32_t>(bases.size());
    int32_t ofsFrameBases = ofsCompressed + static_cast<int32_t>(compressed.size());
    int32_t ofsFrameCompressed = ofsFrameBases + 2 * frames, ofsEnd = (ofsFrameCompressed + 2 * frames + 3) / 4 * 4;
    std::vector<uint8_t> out;
    AppendText(out, "IDPC", 4);
    AppendText(out, surface.name, 64);
    for (int32_t value : {0, static_cast<int32_t>(compressed.size() / (4 * vertices)),
                          static_cast<int32_t>(bases.size() / (8 * vertices)), static_cast<int32_t>(surface.shaders.size()),
                          vertices, static_cast<int32_t>(surface.triangles.size()), ofsTriangles, ofsShaders, ofsSt,
                          ofsXyz, ofsCompressed, ofsFrameBases, ofsFrameCompressed, ofsEnd})
        AppendInt32(out, value);
    for (size_t i = 0; i < surface.shaders.size(); ++i)
        AppendText(out, surface.shaders[i], 64), AppendInt32(out, static_cast<int32_t>(i));
    for (const auto& triangle : surface.triangles)
        for (int32_t index : triangle)
            AppendInt32(out, index);
    for (const auto& st : surface.texCoords)
        AppendFloat(out, st[0]), AppendFloat(out, st[1]);
    out.insert(out.end(), bases.begin(), bases.end());
    out.insert(out.end(), compressed.begin(), compressed.end());
    for (int16_t b : baseOf)
        AppendInt16(out, b);
    for (int16_t c : compressedOf)
        AppendInt16(out, c);
    out.resize(static_cast<size_t>(ofsEnd), 0);
    return out;
}

}  // namespace

std::vector<uint8_t> WriteMdc(const Md3Model& model, const std::vector<bool>& base,
                              const std::vector<std::array<float, 3>>& tagAngles)
{
    int32_t frames = static_cast<int32_t>(model.frameNames.size());
    int32_t tags = model.tags.empty() ? 0 : static_cast<int32_t>(model.tags[0].size());
    int32_t ofsTagNames = 112 + 56 * frames, ofsTags = ofsTagNames + 64 * tags;
    int32_t ofsSurfaces = (ofsTags + 12 * frames * tags + 3) / 4 * 4;
    std::vector<uint8_t> surfaces;
    for (const Md3Surface& surface : model.surfaces) {
        std::vector<uint8_t> bytes = MdcSurfaceBytes(surface, base);
        surfaces.insert(surfaces.end(), bytes.begin(), bytes.end());
    }
    std::vector<uint8_t> out;
    AppendText(out, "IDPC", 4);
    AppendInt32(out, 2);
    AppendText(out, "fixture.mdc", 64);
    for (int32_t value : {0, frames, tags, static_cast<int32_t>(model.surfaces.size()), 0, 112, ofsTagNames, ofsTags,
                          ofsSurfaces, ofsSurfaces + static_cast<int32_t>(surfaces.size())})
        AppendInt32(out, value);
    for (const std::string& name : model.frameNames) {
        for (float value : {-1.f, -1.f, -1.f, 1.f, 1.f, 1.f, 0.f, 0.f, 0.f, 1.f})
            AppendFloat(out, value);
        AppendText(out, name, 16);
    }
    for (int32_t t = 0; t < tags; ++t)
        AppendText(out, model.tags[0][t].name, 64);
    for (const auto& frameTags : model.tags)
        for (size_t t = 0; t < frameTags.size(); ++t) {
            for (float value : frameTags[t].origin)
                AppendInt16(out, static_cast<int16_t>(std::lround(value * 64)));
            for (float angle : tagAngles[t])
                AppendInt16(out, static_cast<int16_t>(std::lround(angle / (360.0 / 32700.0))));
        }
    out.resize(static_cast<size_t>(ofsSurfaces), 0);
    out.insert(out.end(), surfaces.begin(), surfaces.end());
    return out;
}

void PutInt32(std::vector<uint8_t>& bytes, size_t offset, int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

void PutInt16(std::vector<uint8_t>& bytes, size_t offset, int16_t value)
{
    bytes[offset] = static_cast<uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<uint8_t>((static_cast<uint16_t>(value) >> 8) & 0xFF);
}

std::vector<uint8_t> WriteMd2(const Md2Model& model)
{
    int32_t numXyz = model.frames.empty() ? 0 : static_cast<int32_t>(model.frames[0].vertices.size());
    int32_t frameSize = 40 + 4 * numXyz;
    int32_t ofsSkins = 68;
    int32_t ofsSt = ofsSkins + 64 * static_cast<int32_t>(model.skins.size());
    int32_t ofsTris = ofsSt + 4 * static_cast<int32_t>(model.texCoords.size());
    int32_t ofsFrames = ofsTris + 12 * static_cast<int32_t>(model.triangles.size());
    int32_t ofsGlCmds = ofsFrames + frameSize * static_cast<int32_t>(model.frames.size());
    int32_t ofsEnd = ofsGlCmds + 4 * static_cast<int32_t>(model.glCommands.size());
    std::vector<uint8_t> out;
    AppendBytes(out, "IDP2", 4);
    for (int32_t value : {8, model.skinWidth, model.skinHeight, frameSize,
                          static_cast<int32_t>(model.skins.size()), numXyz,
                          static_cast<int32_t>(model.texCoords.size()),
                          static_cast<int32_t>(model.triangles.size()),
                          static_cast<int32_t>(model.glCommands.size()),
                          static_cast<int32_t>(model.frames.size()), ofsSkins, ofsSt, ofsTris,
                          ofsFrames, ofsGlCmds, ofsEnd})
        AppendInt32(out, value);
    for (const std::string& skin : model.skins)
        AppendText(out, skin, 64);
    for (const auto& st : model.texCoords)
        AppendInt16(out, st[0]), AppendInt16(out, st[1]);
    for (const auto& tri : model.triangles)
        for (int16_t index : tri)
            AppendInt16(out, index);
    for (const Frame& frame : model.frames) {
        for (float s : frame.scale)
            AppendFloat(out, s);
        for (float t : frame.translate)
            AppendFloat(out, t);
        AppendFrameBody(out, frame);
    }
    for (int32_t word : model.glCommands)
        AppendInt32(out, word);
    return out;
}

std::vector<int32_t> FanCommands(const Md2Model& model)
{
    std::vector<int32_t> words;
    for (const auto& tri : model.triangles) {
        words.push_back(-3);
        for (int k = 0; k < 3; ++k) {
            const auto& st = model.texCoords[tri[3 + k]];
            float s = static_cast<float>(st[0]) / model.skinWidth;
            float t = static_cast<float>(st[1]) / model.skinHeight;
            int32_t bits;
            memcpy(&bits, &s, 4);
            words.push_back(bits);
            memcpy(&bits, &t, 4);
            words.push_back(bits);
            words.push_back(tri[k]);
        }
    }
    words.push_back(0);
    return words;
}

namespace {

// A single MDL frame: its bounds, then its name and vertices.
void AppendMdlFrame(std::vector<uint8_t>& out, const Frame& frame)
{
    AppendVertex(out, Vertex{0, 0, 0, 0});
    AppendVertex(out, Vertex{255, 255, 255, 0});
    AppendFrameBody(out, frame);
}

}  // namespace

std::vector<uint8_t> WriteMdl(const MdlModel& model)
{
    int32_t numVerts = model.numVerts;
    if (numVerts < 0 && !model.frames.empty()) {
        const MdlFrame& first = model.frames[0];
        const Frame& frame = first.type != 0 && !first.pictures.empty() ? first.pictures[0] : first.frame;
        numVerts = static_cast<int32_t>(frame.vertices.size());
    }
    numVerts = std::max(numVerts, 0);
    std::vector<uint8_t> out;
    AppendBytes(out, "IDPO", 4);
    AppendInt32(out, 6);
    for (float s : model.scale)
        AppendFloat(out, s);
    for (float t : model.translate)
        AppendFloat(out, t);
    AppendFloat(out, 50.0f);  // bounding radius
    for (int i = 0; i < 3; ++i)
        AppendFloat(out, i == 2 ? 24.0f : 0.0f);  // eye position
    for (int32_t value : {static_cast<int32_t>(model.skins.size()), model.skinWidth,
                          model.skinHeight, numVerts, static_cast<int32_t>(model.triangles.size()),
                          static_cast<int32_t>(model.frames.size()), 0, 0})
        AppendInt32(out, value);
    AppendFloat(out, 1.0f);  // size
    for (const MdlSkin& skin : model.skins) {
        AppendInt32(out, skin.group);
        if (skin.group != 0) {
            AppendInt32(out, skin.count);
            size_t pictures = skin.pixels.size() / std::max<size_t>(1, size_t(model.skinWidth) * model.skinHeight);
            for (size_t i = 0; i < (skin.intervals.empty() ? pictures : skin.intervals.size()); ++i)
                AppendFloat(out, skin.intervals.empty() ? 0.1f * (i + 1) : skin.intervals[i]);
        }
        AppendBytes(out, skin.pixels.data(), skin.pixels.size());
    }
    for (const auto& st : model.texCoords)
        for (int32_t value : st)
            AppendInt32(out, value);
    for (const auto& tri : model.triangles)
        for (int32_t value : tri)
            AppendInt32(out, value);
    for (const MdlFrame& frame : model.frames) {
        AppendInt32(out, frame.type);
        if (frame.type == 0) {
            AppendMdlFrame(out, frame.frame);
            continue;
        }
        AppendInt32(out, frame.groupCount.value_or(static_cast<int32_t>(frame.pictures.size())));
        AppendVertex(out, frame.min);
        AppendVertex(out, frame.max);
        for (size_t i = 0; i < frame.pictures.size(); ++i)
            AppendFloat(out, frame.intervals.empty() ? 0.1f * (i + 1) : frame.intervals[i]);
        for (const Frame& picture : frame.pictures)
            AppendMdlFrame(out, picture);
    }
    return out;
}

namespace {

std::vector<uint8_t> EncodeRuns(const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i < data.size();) {
        size_t run = 1;
        while (i + run < data.size() && data[i + run] == data[i] && run < 63)
            ++run;
        if (run > 1 || (data[i] & 0xC0) == 0xC0) {
            out.push_back(static_cast<uint8_t>(0xC0 | run));
            out.push_back(data[i]);
        } else {
            out.push_back(data[i]);
        }
        i += run;
    }
    return out;
}

}  // namespace

std::vector<uint8_t> WritePcx(const PcxPicture& pcx)
{
    std::vector<uint8_t> out(128, 0);
    out[0] = 10;
    out[1] = static_cast<uint8_t>(pcx.version);
    out[2] = 1;
    out[3] = static_cast<uint8_t>(pcx.bitsPerPixel);
    PutInt16(out, 8, static_cast<int16_t>(pcx.width - 1));
    PutInt16(out, 10, static_cast<int16_t>(pcx.height - 1));
    out[65] = static_cast<uint8_t>(pcx.planes);
    int bytesPerLine = (pcx.width * pcx.bitsPerPixel + 7) / 8;
    bytesPerLine += bytesPerLine % 2;  // lines are padded to an even size
    PutInt16(out, 66, static_cast<int16_t>(bytesPerLine));
    if (!pcx.palette256)
        for (int i = 0; i < 48; ++i)
            out[16 + i] = static_cast<uint8_t>(i * 5);
    std::vector<uint8_t> lines;
    if (pcx.bitsPerPixel == 8 && pcx.planes == 1) {
        for (int r = 0; r < pcx.height; ++r)
            for (int x = 0; x < bytesPerLine; ++x)
                lines.push_back(x < pcx.width ? pcx.indices[r * pcx.width + x] : 0);
    } else {
        lines = pcx.indices;
    }
    std::vector<uint8_t> encoded = EncodeRuns(lines);
    out.insert(out.end(), encoded.begin(), encoded.end());
    if (pcx.palette256) {
        out.push_back(12);
        out.insert(out.end(), pcx.palette256, pcx.palette256 + 768);
    }
    return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

std::vector<uint8_t> WritePak(const ArchiveFiles& files)
{
    std::vector<uint8_t> out;
    AppendBytes(out, "PACK", 4);
    AppendInt32(out, 0);
    AppendInt32(out, 0);
    std::vector<int32_t> offsets;
    for (const auto& file : files) {
        offsets.push_back(static_cast<int32_t>(out.size()));
        AppendBytes(out, file.second.data(), file.second.size());
    }
    int32_t directory = static_cast<int32_t>(out.size());
    for (size_t i = 0; i < files.size(); ++i) {
        AppendText(out, files[i].first, 56);
        AppendInt32(out, offsets[i]);
        AppendInt32(out, static_cast<int32_t>(files[i].second.size()));
    }
    PutInt32(out, 4, directory);
    PutInt32(out, 8, static_cast<int32_t>(64 * files.size()));
    return out;
}

std::vector<uint8_t> WriteZip(const ArchiveFiles& files)
{
    char path[] = "/tmp/tarnivel-zip-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0)
        return {};
    close(fd);
    std::vector<uint8_t> out;
    int error = 0;
    if (zip_t* zip = zip_open(path, ZIP_TRUNCATE, &error)) {
        for (const auto& file : files) {
            zip_source_t* source = zip_source_buffer(zip, file.second.data(), file.second.size(), 0);
            if (source && zip_file_add(zip, file.first.c_str(), source, ZIP_FL_ENC_UTF_8) < 0)
                zip_source_free(source);
        }
        if (zip_close(zip) != 0)
            zip_discard(zip);
        FILE* in = fopen(path, "rb");
        for (int c; in && (c = fgetc(in)) != EOF;)
            out.push_back(static_cast<uint8_t>(c));
        if (in)
            fclose(in);
    }
    unlink(path);
    return out;
}

}  // namespace writers
