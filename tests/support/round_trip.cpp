#include "support/round_trip.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/pose.h"

namespace {

// The triangles as drawn: from the file's strips and fans when it has them.
const FrameLayout& Drawn(const DrawnPart& part)
{
    return part.commands ? *part.commands : *part.triangles;
}

// The corners of every drawn triangle at a frame, three floats a corner.
std::vector<float> Corners(const DrawnPart& part, int frame)
{
    std::vector<float> positions, normals, out;
    PoseFrame(part, frame, true, positions, normals);
    const FrameLayout& layout = Drawn(part);
    out.reserve(layout.indices.size() * 3);
    for (uint32_t index : layout.indices) {
        const float* at = &positions[3 * layout.frameVertex[index]];
        out.insert(out.end(), at, at + 3);
    }
    return out;
}

// The parts with triangles: a part of none is nothing to write.
std::vector<const DrawnPart*> Drawn(const DrawnModel& drawn)
{
    std::vector<const DrawnPart*> parts;
    for (const DrawnPart& part : drawn.parts)
        if (!part.corners.empty())
            parts.push_back(&part);
    return parts;
}

float Size(const ModelObject& model)
{
    float low[3] = {1e30f, 1e30f, 1e30f}, high[3] = {-1e30f, -1e30f, -1e30f};
    for (const DrawnPart& part : model.drawn->parts)
        for (int frame = 0; frame < model.numFrames; ++frame) {
            std::vector<float> corners = Corners(part, frame);
            for (size_t i = 0; i < corners.size(); ++i)
                low[i % 3] = std::min(low[i % 3], corners[i]), high[i % 3] = std::max(high[i % 3], corners[i]);
        }
    float size = 0;
    for (int a = 0; a < 3; ++a)
        size = std::max(size, high[a] - low[a]);
    return size;
}

std::string Numbers(const char* what, long source, long copy)
{
    return std::string(what) + ": " + std::to_string(source) + " in the source, " + std::to_string(copy) +
           " in the copy";
}

std::string PartDifference(const DrawnPart& source, const DrawnPart& copy, int frames, float tolerance)
{
    size_t corners = Drawn(source).indices.size(), copied = Drawn(copy).indices.size();
    if (corners != copied)
        return Numbers(("triangles of " + source.name).c_str(), corners / 3, copied / 3);
    for (int frame = 0; frame < frames; ++frame) {
        std::vector<float> a = Corners(source, frame), b = Corners(copy, frame);
        for (size_t i = 0; i < a.size(); ++i)
            if (!(std::fabs(a[i] - b[i]) <= tolerance))
                return source.name + " frame " + std::to_string(frame) + " corner " + std::to_string(i / 3) + ": " +
                       std::to_string(a[i]) + " in the source, " + std::to_string(b[i]) + " in the copy";
    }
    return "";
}

std::string SkeletonDifference(const Skeleton* source, const Skeleton* copy)
{
    if (!source || !copy)
        return source == copy ? "" : Numbers("skeletons", source != nullptr, copy != nullptr);
    if (source->joints.size() != copy->joints.size())
        return Numbers("joints", source->joints.size(), copy->joints.size());
    for (size_t j = 0; j < source->joints.size(); ++j)
        if (source->joints[j].name != copy->joints[j].name)
            return "joint " + std::to_string(j) + ": " + source->joints[j].name + " in the source, " +
                   copy->joints[j].name + " in the copy";
    return "";
}

// A piece of a player moves its tags only through its sequences: the
// frames none plays keep no places for them.
bool TagsKept(const ModelObject& model, int frame)
{
    bool played = model.sequences.empty();
    for (const PlayerAnimation& sequence : model.sequences)
        played = played || (frame >= sequence.first && frame < sequence.first + sequence.count);
    return played;
}

std::string TagDifference(const ModelObject& sourceModel, const DrawnModel& copy, float tolerance)
{
    const DrawnModel& source = *sourceModel.drawn;
    if (source.tagCount != copy.tagCount || source.tags.size() != copy.tags.size())
        return Numbers("tags", source.tags.size(), copy.tags.size());
    for (size_t t = 0; t < source.tags.size(); ++t) {
        if (!TagsKept(sourceModel, static_cast<int>(t / source.tagCount)))
            continue;
        const TagPlace &a = source.tags[t], &b = copy.tags[t];
        bool near = a.name == b.name;
        for (int i = 0; i < 3; ++i)
            near = near && std::fabs(a.origin[i] - b.origin[i]) <= tolerance;
        if (!near)
            return "tag " + a.name + " at frame " + std::to_string(t / source.tagCount) + " is " + b.name +
                   " elsewhere in the copy";
    }
    return "";
}

std::string PieceDifference(const ModelObject& source, const ModelObject& copy)
{
    if (source.numFrames != copy.numFrames)
        return Numbers("frames", source.numFrames, copy.numFrames);
    for (int frame = 0; frame < source.numFrames; ++frame) {
        // A frame the source leaves unnamed is named by its place.
        std::string name = source.frameNames[frame].text;
        if (name.find_first_not_of(' ') == std::string::npos)
            name = "frame" + std::to_string(frame);
        if (name != copy.frameNames[frame].text)
            return "frame " + std::to_string(frame) + ": " + name + " in the source, " + copy.frameNames[frame].text +
                   " in the copy";
    }
    if (source.sequences.size() != copy.sequences.size())
        return Numbers("sequences", source.sequences.size(), copy.sequences.size());
    for (size_t s = 0; s < source.sequences.size(); ++s)
        if (source.sequences[s].name != copy.sequences[s].name)
            return "sequence " + source.sequences[s].name + " is " + copy.sequences[s].name + " in the copy";
    if (source.numSkins != copy.numSkins && !Drawn(*source.drawn).empty())  // nothing wears those of a model of tags
        return Numbers("skin sets", source.numSkins, copy.numSkins);
    std::string skeleton = SkeletonDifference(source.drawn->skeleton.get(), copy.drawn->skeleton.get());
    if (!skeleton.empty())
        return skeleton;
    std::vector<const DrawnPart*> parts = Drawn(*source.drawn), copied = Drawn(*copy.drawn);
    if (parts.size() != copied.size())
        return Numbers("parts", parts.size(), copied.size());
    float tolerance = 1e-5f * Size(source);
    std::string tags = TagDifference(source, *copy.drawn, std::max(tolerance, 1e-4f));
    if (!tags.empty())
        return tags;
    for (size_t p = 0; p < parts.size(); ++p) {
        std::string part = PartDifference(*parts[p], *copied[p], source.numFrames, tolerance);
        if (!part.empty())
            return part;
    }
    return "";
}

}  // namespace

std::string Difference(const Assembly& source, const Assembly& copy)
{
    if (source.pieces.size() != copy.pieces.size())
        return Numbers("pieces", source.pieces.size(), copy.pieces.size());
    for (size_t p = 0; p < source.pieces.size(); ++p) {
        std::string piece = PieceDifference(*source.pieces[p], *copy.pieces[p]);
        if (!piece.empty())
            return "piece " + std::to_string(p) + ": " + piece;
    }
    return "";
}
