#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/frame_types.h"
#include "formats/reports.h"

constexpr int32_t kMd2Ident = 0x32504449;  // "IDP2"
constexpr int32_t kMd2Version = 8;
constexpr int kMd2HeaderSize = 68;
constexpr int kMd2SkinNameSize = 64;

struct Md2Header {
    int32_t ident;
    int32_t version;
    int32_t skinWidth;
    int32_t skinHeight;
    int32_t frameSize;  // not used: frames are 40 + 4 * numXyz bytes apart
    int32_t numSkins;
    int32_t numXyz;
    int32_t numSt;
    int32_t numTris;
    int32_t numGlCmds;
    int32_t numFrames;
    int32_t ofsSkins;
    int32_t ofsSt;
    int32_t ofsTris;
    int32_t ofsFrames;
    int32_t ofsGlCmds;
    int32_t ofsEnd;
};
static_assert(sizeof(Md2Header) == kMd2HeaderSize, "the header is read in one piece");

struct Md2TexCoord {
    int16_t s, t;
};

struct Md2Triangle {
    int16_t vertexIndex[3];
    int16_t texCoordIndex[3];
};

struct Md2File {
    std::vector<uint8_t> file;  // the file's bytes while loading; empty afterwards
    Md2Header header;
    std::vector<Md2TexCoord> texCoords;
    std::vector<Md2Triangle> triangles;
    std::vector<uint8_t> frames;      // numFrames frames as stored, back to back
    std::vector<int32_t> glCommands;  // empty when the file has none or they were dropped
};

struct Md2SkinName {
    char text[kMd2SkinNameSize];
};

// One frame's header as stored in front of its vertices.
struct Md2FrameHeader {
    float scale[3];
    float translate[3];
    char name[16];
};

inline int32_t FrameCount(const Md2File& file)
{
    return file.header.numFrames;
}

inline int64_t Md2FrameSize(const Md2Header& header)
{
    return 40 + 4 * static_cast<int64_t>(header.numXyz);
}

Md2FrameHeader Md2FrameHeaderAt(const Md2File& file, int frame);
const PackedVertex* Md2FrameVertices(const Md2File& file, int frame);

// Checks the header of the file's bytes (the record keeps them); null after a report.
std::unique_ptr<Md2File> OpenMd2Bytes(std::vector<uint8_t> bytes, Reports& reports);
// Fills the record's sections from its bytes, checking every count, offset
// and index; also gives the skin names to read and every frame's name.
// False after a report that refuses the file; a dropped GL-command block or
// skins past the limit are reported and the file kept.
bool ReadMd2Sections(Md2File& file, std::vector<Md2SkinName>& skinNames, std::unique_ptr<FrameName[]>& frameNames,
                     Reports& reports);

// The record as an MD2 file, laid out as id's tools wrote it: the header,
// skin names, texture coordinates, triangles, frames, GL commands. The
// header's sizes and counts come from the sections; skinWidth, skinHeight
// and numXyz from the record's header.
std::vector<uint8_t> WriteMd2(const Md2File& file, const std::vector<std::string>& skinNames);
