#pragma once

// A model as it is drawn, whatever file it came from: made once at load
// from a reader's record, then read by the drawing, framing, the overlay,
// listings, pictures and export alike.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/frame_types.h"
#include "geometry/frame_layout.h"
#include "geometry/skeleton.h"

enum class VertexStorage : uint8_t {
    kBytes,   // PackedVertex: bytes, and an index into the 162 normals
    kShorts,  // ShortVertex
    kFloats,  // FloatVertex
};

// What makes a frame's stored coordinates positions: coordinate * scale + translate.
struct FrameTransform {
    float scale[3];
    float translate[3];
};

// A part's frames as their file keeps them: frame f's vertices start
// f * stride bytes after the first.
struct VertexFrames {
    VertexStorage storage = VertexStorage::kBytes;
    const uint8_t* first = nullptr;  // frame 0's vertices, inside the model's file record
    size_t stride = 0;
    int32_t frameCount = 0;
    int32_t vertexCount = 0;
    // One a frame when each frame has its own (blended like the coordinates
    // while drawing), else one for every frame.
    std::vector<FrameTransform> transforms;
    bool transformPerFrame = false;
    std::vector<uint8_t> lacksNormals;  // a frame whose file gives no normals: lit by its triangles'
};

// One mesh of the model: an MD3's surface, or the one mesh of the others.
struct DrawnPart {
    std::string name;
    std::string material;  // the look its file names for it (a skeletal mesh's material or shader)
    std::shared_ptr<const FrameLayout> triangles;
    // The file's own strips and fans, as the triangles OpenGL makes of them;
    // null when the file has none that can be used.
    std::shared_ptr<const FrameLayout> commands;
    std::vector<uint32_t> corners;  // the frame vertices of every triangle, three a triangle
    VertexFrames frames;
    // A skeletal part instead: its skeleton, and its vertices in the bind
    // pose with their joints and weights, posed where the others decode.
    std::shared_ptr<const Skeleton> skeleton;
    SkinnedVertices skinned;
    // Which picture of a skin set the part wears; -1: the skin's one picture.
    int32_t skinSlot = -1;
};

// A tag at one frame: a named origin and three axes (rows), in the model's axes.
struct TagPlace {
    std::string name;
    float origin[3];
    float axis[3][3];
};

// Frames that came from one frame group of the file: its pictures, each
// ending at its interval (seconds from the group's start).
struct FrameGroup {
    int32_t entry;  // the group's place among the file's frame entries
    int32_t firstFrame;
    std::vector<float> intervals;
};

struct DrawnModel {
    std::vector<DrawnPart> parts;
    int32_t frameCount = 0;
    int32_t tagCount = 0;        // a frame
    std::vector<TagPlace> tags;  // tagCount a frame, frame after frame
    std::vector<FrameGroup> frameGroups;
    std::shared_ptr<const Skeleton> skeleton;  // a skeletal model's, or null
    // Skins the file names as files of their own, to be found beside it.
    int32_t externalSkins = 0;
    // What the load's and the drawing's reports call themselves.
    std::string loaderName;  // "InitMd2Object"
    std::string drawName;    // "DrawMD2Frame()"
};

// The group a frame came from and its picture in it; null for a single frame.
const FrameGroup* FrameGroupOf(const DrawnModel& model, int frame, int* picture);

// The tag of that name at a frame (a frame's names are the ones matched, as
// the engines match them); null when the model has none.
const TagPlace* FindTag(const DrawnModel& model, int frame, const std::string& name);

// A name that makes a node or joint a tag: "tag_" and more, in any case.
bool IsTagName(const std::string& name);
// A tag's axes made unit and square again, the first kept: blended axes
// are no longer so, and some files' are of any length.
void OrthonormalizeTag(float axis[3][3]);

// True when some frame of some part gives no normals.
bool SomeFrameLacksNormals(const DrawnModel& model);
int64_t VertexCount(const DrawnModel& model);
int64_t TriangleCount(const DrawnModel& model);
