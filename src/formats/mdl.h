#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "formats/frame_types.h"
#include "formats/reports.h"

constexpr int32_t kMdlIdent = 0x4F504449;  // "IDPO"
constexpr int32_t kMdlVersion = 6;
constexpr int kMdlHeaderSize = 84;

struct MdlHeader {
    int32_t ident;
    int32_t version;
    float scale[3];
    float translate[3];
    float boundingRadius;
    float eyePosition[3];
    int32_t numSkins;
    int32_t skinWidth;
    int32_t skinHeight;
    int32_t numVerts;
    int32_t numTris;
    int32_t numFrames;
    int32_t syncType;
    int32_t flags;
    float size;
};
static_assert(sizeof(MdlHeader) == kMdlHeaderSize, "the header is read in one piece");

struct MdlTexCoord {
    int32_t onSeam, s, t;
};

struct MdlTriangle {
    int32_t facesFront;
    int32_t vertexIndex[3];
};

// A frame group of the file: its pictures became frames firstFrame onward,
// one per interval. Each interval is the time its picture ends, in seconds
// from the group's start, as the game stores it.
struct MdlFrameGroup {
    int32_t entry;  // the group's place among the file's frame entries
    int32_t firstFrame;
    std::vector<float> intervals;
};

// Frames are kept packed in slots of bboxMin, bboxMax, name[16] and numVerts
// vertices, so frame i is found by index alone whatever numVerts is. Every
// picture of a frame group has a slot of its own.
struct MdlFile {
    std::vector<uint8_t> file;  // the file's bytes while loading; empty afterwards
    MdlHeader header;
    std::vector<MdlTriangle> triangles;
    std::vector<uint8_t> frames;
    std::vector<MdlTexCoord> texCoords;
    int32_t frameCount = 0;  // slots: single frames and group pictures
    std::vector<MdlFrameGroup> frameGroups;
};

// One skin picture to read: a single skin, or a picture of a skin group.
struct MdlSkinPicture {
    size_t offset;   // where its palette indices start
    int32_t group;   // the group's place among the skin entries; -1 for a single skin
    float interval;  // a group picture's end time
};

inline int64_t MdlFrameSize(const MdlHeader& header)
{
    return 24 + 4 * static_cast<int64_t>(header.numVerts);
}

inline int32_t FrameCount(const MdlFile& file)
{
    return file.frameCount;
}

const PackedVertex* MdlFrameVertices(const MdlFile& file, int frame);
// The group a frame came from and its picture in it; null for a single frame.
const MdlFrameGroup* MdlFrameGroupOf(const MdlFile& file, int frame, int* picture);

// Checks the header of the file's bytes (the record keeps them); null after a report.
std::unique_ptr<MdlFile> OpenMdlBytes(std::vector<uint8_t> bytes, Reports& reports);
// Fills the record from its bytes, checking every count, size and index; gives
// the skin pictures to read (at most 32) and every frame's name. False after
// a report that refuses the file; skins past the limit are reported and left out.
bool ReadMdlSections(MdlFile& file, std::vector<MdlSkinPicture>& skins, std::unique_ptr<FrameName[]>& frameNames,
                     Reports& reports);

// The record as an MDL file: each skin one picture of skinWidth x
// skinHeight palette indices, then the texture coordinates, triangles and
// every frame slot as a single frame. Counts come from the sections; the
// rest of the header from the record's.
std::vector<uint8_t> WriteMdl(const MdlFile& file, const std::vector<std::vector<uint8_t>>& skins);
