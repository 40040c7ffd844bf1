#include "geometry/drawn_model.h"

#include <strings.h>

#include <algorithm>

#include "maths/placement.h"

const FrameGroup* FrameGroupOf(const DrawnModel& model, int frame, int* picture)
{
    for (const FrameGroup& group : model.frameGroups) {
        int offset = frame - group.firstFrame;
        if (offset >= 0 && offset < static_cast<int>(group.intervals.size())) {
            *picture = offset;
            return &group;
        }
    }
    return nullptr;
}

bool IsTagName(const std::string& name)
{
    return name.size() > 4 && strncasecmp(name.c_str(), "tag_", 4) == 0;
}

const TagPlace* FindTag(const DrawnModel& model, int frame, const std::string& name)
{
    size_t count = static_cast<size_t>(model.tagCount), first = static_cast<size_t>(frame) * count;
    if (frame < 0 || first + count > model.tags.size())
        return nullptr;
    for (size_t t = first; t < first + count; ++t)
        if (model.tags[t].name == name)
            return &model.tags[t];
    return nullptr;
}

bool SomeFrameLacksNormals(const DrawnModel& model)
{
    for (const DrawnPart& part : model.parts) {
        const std::vector<uint8_t>& lacks = part.frames.lacksNormals;
        if (std::find(lacks.begin(), lacks.end(), 1) != lacks.end())
            return true;
    }
    return false;
}

int64_t VertexCount(const DrawnModel& model)
{
    int64_t total = 0;
    for (const DrawnPart& part : model.parts)
        total += part.skeleton ? part.skinned.count : part.frames.vertexCount;
    return total;
}

int64_t TriangleCount(const DrawnModel& model)
{
    int64_t total = 0;
    for (const DrawnPart& part : model.parts)
        total += static_cast<int64_t>(part.corners.size() / 3);
    return total;
}

void OrthonormalizeTag(float axis[3][3])
{
    VectorNormalize(axis[0]);
    VectorCross(axis[0], axis[1], axis[2]);
    VectorNormalize(axis[2]);
    VectorCross(axis[2], axis[0], axis[1]);
}
