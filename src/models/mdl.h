#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "models/model_types.h"

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

// Frames are kept packed in slots of bboxMin, bboxMax, name[16] and numVerts
// vertices, so frame i is found by index alone whatever numVerts is.
struct MdlFile {
    std::vector<uint8_t> file;  // the file's bytes while loading; empty afterwards
    MdlHeader header;
    std::vector<MdlTriangle> triangles;
    std::vector<uint8_t> frames;
    std::vector<MdlTexCoord> texCoords;
};

inline int64_t MdlFrameSize(const MdlHeader& header)
{
    return 24 + 4 * static_cast<int64_t>(header.numVerts);
}

const PackedVertex* MdlFrameVertices(const MdlFile& file, int frame);

std::unique_ptr<MdlFile> OpenMdlFile(const char* path);
std::unique_ptr<MdlFile> OpenMdlBytes(std::vector<uint8_t> bytes);
// Fills the record from its bytes, checking every count, size and index; gives
// the file offsets of the skins to read and every frame's name.
bool ReadMdlSections(MdlFile& file, std::vector<size_t>& skinOffsets,
                     std::unique_ptr<FrameName[]>& frameNames);
struct ModelObject;
std::unique_ptr<ModelObject> InitMdlObject(const char* path);
// Makes the skin whose indices start at offset the model's next skin.
int ReadMDLSkin(const MdlFile& file, size_t offset, ModelObject* model);
void FreeMdlFile(std::unique_ptr<MdlFile> file);
