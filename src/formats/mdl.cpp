#include "formats/mdl.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "formats/byte_reader.h"
#include "platform/names.h"

namespace {

bool CheckCounts(const MdlHeader& h, Reports& reports)
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
            AddReport(reports, "InitMdlObject: the header has a negative count (%s = %d)", count.name,
                        count.value);
            return false;
        }
    }
    if (h.numFrames == 0) {
        AddReport(reports, "InitMdlObject: the file has no frames");
        return false;
    }
    if (h.numSkins > 0 && (h.skinWidth <= 0 || h.skinHeight <= 0)) {
        AddReport(reports, "InitMdlObject: the header has a bad skin size (%d x %d)", h.skinWidth,
                    h.skinHeight);
        return false;
    }
    return true;
}

// A group's picture count and intervals (and, for frames, its bounds),
// checked before anything is kept; false after a report naming the group.
bool ReadGroupHeader(ByteReader& reader, const char* kind, int32_t entry, bool hasBounds,
                     std::vector<float>& intervals, Reports& reports)
{
    int32_t count = 0;
    if (!ReadInt32(reader, &count) || (hasBounds && !ReaderSeek(reader, reader.position + 8))) {
        AddReport(reports, "InitMdlObject: %s group %d runs past the end of the file", kind, entry);
        return false;
    }
    if (count <= 0) {
        AddReport(reports, "InitMdlObject: %s group %d has %d pictures", kind, entry, count);
        return false;
    }
    if (!BlockFits(reader.size, reader.position, count, 4)) {
        AddReport(reports, "InitMdlObject: %s group %d runs past the end of the file", kind, entry);
        return false;
    }
    intervals.resize(count);
    for (int32_t i = 0; i < count; ++i) {
        ReadBytes(reader, &intervals[i], 4);
        EndianSwap32(&intervals[i]);
        if (!std::isfinite(intervals[i]) || intervals[i] <= 0.0f) {
            AddReport(reports, "InitMdlObject: %s group %d has an interval that is not finite and positive "
                        "(picture %d: %g)",
                        kind, entry, i, static_cast<double>(intervals[i]));
            return false;
        }
    }
    return true;
}

// Steps over one picture of the given size; false when it leaves the file.
bool SkipPicture(ByteReader& reader, int64_t bytes)
{
    return BlockFits(reader.size, reader.position, 1, bytes) &&
           ReaderSeek(reader, reader.position + bytes);
}

// Walks every skin entry, single or group, to find its pictures and where
// the texture coordinates begin.
bool WalkSkins(ByteReader& reader, const MdlHeader& h, std::vector<MdlSkinPicture>& pictures, Reports& reports)
{
    int64_t skinBytes = static_cast<int64_t>(h.skinWidth) * h.skinHeight;
    for (int32_t i = 0; i < h.numSkins; ++i) {
        int32_t group = 0;
        if (!ReadInt32(reader, &group)) {
            AddReport(reports, "InitMdlObject: skin %d runs past the end of the file", i);
            return false;
        }
        if (group == 0) {
            pictures.push_back({reader.position, -1, 0.0f});
            if (!SkipPicture(reader, skinBytes)) {
                AddReport(reports, "InitMdlObject: skin %d runs past the end of the file", i);
                return false;
            }
            continue;
        }
        std::vector<float> intervals;
        if (!ReadGroupHeader(reader, "skin", i, false, intervals, reports))
            return false;
        for (float interval : intervals) {
            pictures.push_back({reader.position, i, interval});
            if (!SkipPicture(reader, skinBytes)) {
                AddReport(reports, "InitMdlObject: skin group %d runs past the end of the file", i);
                return false;
            }
        }
    }
    return true;
}

void KeepFirstSkins(std::vector<MdlSkinPicture>& pictures, Reports& reports)
{
    if (pictures.size() <= static_cast<size_t>(kMaxSkins))
        return;
    AddReport(reports, "Maximum number of skins reached: %d", kMaxSkins);
    pictures.resize(kMaxSkins);
}

bool ReadTexCoordsAndTriangles(ByteReader& reader, MdlFile& file, Reports& reports)
{
    const MdlHeader& h = file.header;
    if (!BlockFits(reader.size, reader.position, h.numVerts, 12) ||
        !BlockFits(reader.size, reader.position + 12 * int64_t(h.numVerts), h.numTris, 16)) {
        AddReport(reports, "InitMdlObject: the texture coordinates and triangles run past the end of "
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
                AddReport(reports, "InitMdlObject: triangle %zu uses vertex index %d but a frame has %d "
                            "vertices",
                            t, index, h.numVerts);
                return false;
            }
        }
    }
    return true;
}

// Walks every frame entry, single or group, checking each picture's size
// before anything is allocated for them; gives where each picture starts.
bool WalkFrames(ByteReader reader, MdlFile& file, std::vector<size_t>& pictures, Reports& reports)
{
    const MdlHeader& h = file.header;
    int64_t frameSize = MdlFrameSize(h);
    for (int32_t i = 0; i < h.numFrames; ++i) {
        int32_t type = 0;
        if (!ReadInt32(reader, &type)) {
            AddReport(reports, "InitMdlObject: Unable to read frame %d", i);
            return false;
        }
        std::vector<float> intervals(1);
        if (type != 0) {
            if (!ReadGroupHeader(reader, "frame", i, true, intervals, reports))
                return false;
            file.frameGroups.push_back({i, static_cast<int32_t>(pictures.size()), intervals});
        }
        for (size_t k = 0; k < intervals.size(); ++k) {
            pictures.push_back(reader.position);
            if (!SkipPicture(reader, frameSize)) {
                if (type == 0)
                    AddReport(reports, "InitMdlObject: Unable to read frame %d", i);
                else
                    AddReport(reports, "InitMdlObject: frame group %d runs past the end of the file", i);
                return false;
            }
        }
    }
    return true;
}

void ReadFrames(const std::vector<size_t>& pictures, MdlFile& file, std::unique_ptr<FrameName[]>& frameNames)
{
    size_t frameSize = static_cast<size_t>(MdlFrameSize(file.header));
    file.frameCount = static_cast<int32_t>(pictures.size());
    file.frames.resize(frameSize * pictures.size());
    frameNames = std::make_unique<FrameName[]>(pictures.size());
    for (size_t i = 0; i < pictures.size(); ++i) {
        uint8_t* slot = file.frames.data() + i * frameSize;
        memcpy(slot, file.file.data() + pictures[i], frameSize);
        CopyText(frameNames[i].text, sizeof frameNames[i].text,
                 TextName(reinterpret_cast<const char*>(slot + 8), kFrameNameCharacters));
    }
}

}  // namespace

const PackedVertex* MdlFrameVertices(const MdlFile& file, int frame)
{
    return reinterpret_cast<const PackedVertex*>(file.frames.data() +
                                                 frame * MdlFrameSize(file.header) + 24);
}

const MdlFrameGroup* MdlFrameGroupOf(const MdlFile& file, int frame, int* picture)
{
    for (const MdlFrameGroup& group : file.frameGroups) {
        int offset = frame - group.firstFrame;
        if (offset >= 0 && offset < static_cast<int>(group.intervals.size())) {
            *picture = offset;
            return &group;
        }
    }
    return nullptr;
}

std::unique_ptr<MdlFile> OpenMdlBytes(std::vector<uint8_t> bytes, Reports& reports)
{
    auto record = std::make_unique<MdlFile>();
    record->file = std::move(bytes);
    ByteReader reader{record->file.data(), record->file.size(), 0};
    MdlHeader& h = record->header;
    if (!ReadBytes(reader, &h, sizeof h)) {
        AddReport(reports, "OpenMdlFile: Couldn't read in the mdl header");
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
        AddReport(reports, "OpenMdlFile: file is not a mdl file because tag is: %X",
                    static_cast<unsigned>(h.ident));
        return nullptr;
    }
    if (h.version != kMdlVersion) {
        AddReport(reports, "OpenMdlFile: file is not correct version because version is: %d", h.version);
        return nullptr;
    }
    return record;
}

bool ReadMdlSections(MdlFile& file, std::vector<MdlSkinPicture>& skins, std::unique_ptr<FrameName[]>& frameNames,
                     Reports& reports)
{
    if (!CheckCounts(file.header, reports))
        return false;
    ByteReader reader{file.file.data(), file.file.size(), kMdlHeaderSize};
    std::vector<size_t> frames;
    if (!WalkSkins(reader, file.header, skins, reports) || !ReadTexCoordsAndTriangles(reader, file, reports) ||
        !WalkFrames(reader, file, frames, reports))
        return false;
    KeepFirstSkins(skins, reports);
    ReadFrames(frames, file, frameNames);
    return true;
}
