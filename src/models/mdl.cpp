#include "models/mdl.h"

#include <cstdio>
#include <cstring>

#include "core/error_log.h"
#include "models/byte_reader.h"
#include "models/file_bytes.h"
#include "models/model_list.h"
#include "models/palette.h"
#include "models/skins.h"

namespace {

bool CheckCounts(const MdlHeader& h)
{
    const struct {
        const char* name;
        int32_t value;
    } counts[] = {{"numSkins", h.numSkins},
                  {"numVerts", h.numVerts},
                  {"numTris", h.numTris},
                  {"numFrames", h.numFrames}};
    for (const auto& count : counts) {
        if (count.value < 0) {
            ReportError("InitMdlObject: the header has a negative count (%s = %d)", count.name,
                        count.value);
            return false;
        }
    }
    if (h.numFrames == 0) {
        ReportError("InitMdlObject: the file has no frames");
        return false;
    }
    if (h.numSkins > 0 && (h.skinWidth <= 0 || h.skinHeight <= 0)) {
        ReportError("InitMdlObject: the header has a bad skin size (%d x %d)", h.skinWidth,
                    h.skinHeight);
        return false;
    }
    return true;
}

// Walks every skin entry to find where the texture coordinates begin.
bool WalkSkins(ByteReader& reader, const MdlHeader& h, std::vector<size_t>& entries)
{
    int64_t skinBytes = static_cast<int64_t>(h.skinWidth) * h.skinHeight;
    for (int32_t i = 0; i < h.numSkins; ++i) {
        entries.push_back(reader.position);
        int32_t group = 0, count = 1;
        bool fits = ReadInt32(reader, &group);
        if (fits && group != 0)
            fits = ReadInt32(reader, &count) && count >= 0 &&
                   BlockFits(reader.size, reader.position, count, 4) &&
                   ReaderSeek(reader, reader.position + 4 * static_cast<int64_t>(count));
        fits = fits && BlockFits(reader.size, reader.position, count, skinBytes) &&
               ReaderSeek(reader, reader.position + count * skinBytes);
        if (!fits) {
            ReportError("InitMdlObject: skin %d runs past the end of the file", i);
            return false;
        }
    }
    return true;
}

bool ChooseSkins(const MdlFile& file, const std::vector<size_t>& entries,
                 std::vector<size_t>& skinOffsets)
{
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i == kMaxSkins) {
            ReportError("Maximum number of skins reached: %d", kMaxSkins);
            break;
        }
        int32_t group;
        memcpy(&group, file.file.data() + entries[i], 4);
        EndianSwap32(&group);
        if (group != 0) {
            ReportError("Animated skins are not yet implemented");
            ReportError("InitMdlObject: Couldn't read skin");
            return false;
        }
        skinOffsets.push_back(entries[i] + 4);
    }
    return true;
}

bool ReadTexCoordsAndTriangles(ByteReader& reader, MdlFile& file)
{
    const MdlHeader& h = file.header;
    if (!BlockFits(reader.size, reader.position, h.numVerts, 12) ||
        !BlockFits(reader.size, reader.position + 12 * int64_t(h.numVerts), h.numTris, 16)) {
        ReportError("InitMdlObject: the texture coordinates and triangles run past the end of "
                    "the file");
        return false;
    }
    file.texCoords.resize(h.numVerts);
    for (MdlTexCoord& st : file.texCoords)
        ReadInt32(reader, &st.onSeam), ReadInt32(reader, &st.s), ReadInt32(reader, &st.t);
    file.triangles.resize(h.numTris);
    for (size_t t = 0; t < file.triangles.size(); ++t) {
        MdlTriangle& tri = file.triangles[t];
        ReadInt32(reader, &tri.facesFront);
        for (int32_t& index : tri.vertexIndex) {
            ReadInt32(reader, &index);
            if (index < 0 || index >= h.numVerts) {
                ReportError("InitMdlObject: triangle %zu uses vertex index %d but a frame has %d "
                            "vertices",
                            t, index, h.numVerts);
                return false;
            }
        }
    }
    return true;
}

void ReportFrameGroup(ByteReader& reader, int32_t type, int32_t frame)
{
    int32_t count = 0;
    PackedVertex min{}, max{};
    if (!ReadInt32(reader, &count) || !ReadBytes(reader, &min, 4) || !ReadBytes(reader, &max, 4)) {
        ReportError("InitMdlObject: Unable to read frame %d", frame);
        return;
    }
    ReportError("InitMdlObject: frame type %d (%X) encountered; only type = 0 supported\n\t%d "
                "frames read successfully\n\t%d frames (%X) in this group\nmin: %d, %d, %d\nmax: "
                "%d, %d, %d",
                type, static_cast<unsigned>(type), frame, count, static_cast<unsigned>(count),
                min.x, min.y, min.z, max.x, max.y, max.z);
}

// Checks every frame's type and size before anything is allocated for them.
bool WalkFrames(ByteReader reader, const MdlHeader& h)
{
    int64_t frameSize = MdlFrameSize(h);
    for (int32_t i = 0; i < h.numFrames; ++i) {
        int32_t type = 0;
        if (!ReadInt32(reader, &type)) {
            ReportError("InitMdlObject: Unable to read frame %d", i);
            return false;
        }
        if (type != 0) {
            ReportFrameGroup(reader, type, i);
            return false;
        }
        if (!BlockFits(reader.size, reader.position, 1, frameSize)) {
            ReportError("InitMdlObject: Unable to read frame %d", i);
            return false;
        }
        reader.position += static_cast<size_t>(frameSize);
    }
    return true;
}

void ReadFrames(ByteReader& reader, MdlFile& file, std::unique_ptr<FrameName[]>& frameNames)
{
    const MdlHeader& h = file.header;
    size_t frameSize = static_cast<size_t>(MdlFrameSize(h));
    file.frames.resize(frameSize * h.numFrames);
    frameNames = std::make_unique<FrameName[]>(h.numFrames);
    for (int32_t i = 0; i < h.numFrames; ++i) {
        uint8_t* slot = file.frames.data() + i * frameSize;
        reader.position += 4;  // the type word, checked by the walk
        ReadBytes(reader, slot, frameSize);
        memcpy(frameNames[i].text, slot + 8, sizeof frameNames[i].text);
    }
}

}  // namespace

const PackedVertex* MdlFrameVertices(const MdlFile& file, int frame)
{
    return reinterpret_cast<const PackedVertex*>(file.frames.data() +
                                                 frame * MdlFrameSize(file.header) + 24);
}

std::unique_ptr<MdlFile> OpenMdlBytes(std::vector<uint8_t> bytes)
{
    auto record = std::make_unique<MdlFile>();
    record->file = std::move(bytes);
    ByteReader reader{record->file.data(), record->file.size(), 0};
    MdlHeader& h = record->header;
    if (!ReadBytes(reader, &h, sizeof h)) {
        ReportError("OpenMdlFile: Couldn't read in the mdl header");
        return nullptr;
    }
    EndianSwap32(&h.version);
    EndianSwapVec3(h.scale);
    EndianSwapVec3(h.translate);
    EndianSwap32(&h.boundingRadius);
    EndianSwapVec3(h.eyePosition);
    for (int32_t* field : {&h.numSkins, &h.skinWidth, &h.skinHeight, &h.numVerts, &h.numTris,
                           &h.numFrames, &h.syncType, &h.flags})
        EndianSwap32(field);
    EndianSwap32(&h.size);
    EndianSwap32(&h.ident);
    if (h.ident != kMdlIdent) {
        ReportError("OpenMdlFile: file is not a mdl file because tag is: %X",
                    static_cast<unsigned>(h.ident));
        return nullptr;
    }
    if (h.version != kMdlVersion) {
        ReportError("OpenMdlFile: file is not correct version because version is: %d", h.version);
        return nullptr;
    }
    return record;
}

std::unique_ptr<MdlFile> OpenMdlFile(const char* path)
{
    std::vector<uint8_t> bytes;
    FileReadResult result = ReadFileBytes(path, bytes);
    if (result == FileReadResult::kTooLarge) {
        ReportError("OpenMdlFile: the mdl file \"%s\" is larger than %zu bytes", path,
                    kMaxInputFileSize);
        return nullptr;
    }
    if (result != FileReadResult::kOk) {
        ReportError("OpenMdlFile: Couldn't open the mdl file \"%s\"", path);
        return nullptr;
    }
    return OpenMdlBytes(std::move(bytes));
}

bool ReadMdlSections(MdlFile& file, std::vector<size_t>& skinOffsets,
                     std::unique_ptr<FrameName[]>& frameNames)
{
    if (!CheckCounts(file.header))
        return false;
    ByteReader reader{file.file.data(), file.file.size(), kMdlHeaderSize};
    std::vector<size_t> entries;
    if (!WalkSkins(reader, file.header, entries) || !ChooseSkins(file, entries, skinOffsets))
        return false;
    if (!ReadTexCoordsAndTriangles(reader, file) || !WalkFrames(reader, file.header))
        return false;
    ReadFrames(reader, file, frameNames);
    return true;
}

int ReadMDLSkin(const MdlFile& file, size_t offset, ModelObject* model)
{
    SkinInfo& skin = model->skins[model->numSkins];
    skin.textureId = CreateTextureFromSkin(file.file.data() + offset, mdlPalette, model->skinWidth,
                                           model->skinHeight);
    if (skin.textureId == 0)
        return 0;
    model->hasSkins = model->texturing = true;
    snprintf(skin.name, sizeof skin.name, "skin%2d", model->numSkins);
    model->numSkins++;
    CheckGLError("ReadMDLSkin()");
    return 1;
}

std::unique_ptr<ModelObject> InitMdlObject(const char* path)
{
    auto model = std::make_unique<ModelObject>();
    std::unique_ptr<MdlFile> file = OpenMdlFile(path);
    if (!file) {
        ReportError("InitMdlObject: unable to open mdl file");
        return nullptr;
    }
    std::vector<size_t> skinOffsets;
    if (!ReadMdlSections(*file, skinOffsets, model->frameNames))
        return nullptr;

    PrepareSkinSlots(model.get(), file->header.skinWidth, file->header.skinHeight,
                     "InitMdlObject() before reading skins");
    for (size_t offset : skinOffsets) {
        if (ReadMDLSkin(*file, offset, model.get()) != 1) {
            ReportError("InitMdlObject: Couldn't read skin");
            ReleaseFailedModel(model);
            return nullptr;
        }
    }
    CheckGLError("InitMdlObject() after reading skins");
    return FinishModelLoad(std::move(model), std::move(file), kModelMdl, "InitMdlObject()");
}

void FreeMdlFile(std::unique_ptr<MdlFile> file)
{
    if (!file->file.empty())
        ReportError("Warning: the MDL file for the model being removed may still be open");
    file.reset();
}
