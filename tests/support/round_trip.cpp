#include "support/round_trip.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <cmath>
#include <vector>

#include "formats/shader_script.h"
#include "geometry/pose.h"

namespace {

std::string Numbers(const char* what, long source, long copy)
{
    return std::string(what) + ": " + std::to_string(source) + " in the source, " + std::to_string(copy) +
           " in the copy";
}

// The triangles as drawn: from the file's strips and fans when it has them
// (unless its triangle list is asked for).
const FrameLayout& Drawn(const DrawnPart& part, bool fileTriangles)
{
    return part.commands && !fileTriangles ? *part.commands : *part.triangles;
}

// The corners of every drawn triangle at a frame, three floats a corner.
std::vector<float> Corners(const DrawnPart& part, int frame, bool fileTriangles = false)
{
    std::vector<float> positions, normals, out;
    PoseFrame(part, frame, true, positions, normals);
    const FrameLayout& layout = Drawn(part, fileTriangles);
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

}  // namespace

// Every part's corners in turn: the same however a writer splits its parts.
std::vector<float> FrameCorners(const DrawnModel& drawn, int frame, bool fileTriangles)
{
    std::vector<float> all;
    for (const DrawnPart* part : Drawn(drawn)) {
        std::vector<float> corners = Corners(*part, frame, fileTriangles);
        all.insert(all.end(), corners.begin(), corners.end());
    }
    return all;
}

namespace {

std::string CornerDifference(const DrawnModel& source, int frame, const DrawnModel& copy, int copyFrame,
                             float tolerance, bool fileTriangles = false)
{
    std::vector<float> a = FrameCorners(source, frame, fileTriangles), b = FrameCorners(copy, copyFrame, fileTriangles);
    if (a.size() != b.size())
        return Numbers("triangles", a.size() / 9, b.size() / 9);
    for (size_t i = 0; i < a.size(); ++i)
        if (!(std::fabs(a[i] - b[i]) <= tolerance))
            return "frame " + std::to_string(frame) + " corner " + std::to_string(i / 3) + ": " +
                   std::to_string(a[i]) + " in the source, " + std::to_string(b[i]) + " in the copy";
    return "";
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

std::string PieceDifference(const ModelObject& source, const ModelObject& copy, const Nearness& near)
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
    float size = Size(source);
    float tolerance = near.tolerance > 0 ? near.tolerance : 1e-5f * size;
    if (near.steps)
        tolerance = std::max(tolerance, size / (2 * near.steps) * 1.001f + 1e-4f);
    std::string tags = TagDifference(source, *copy.drawn, std::max(tolerance, 1e-4f));
    if (!tags.empty())
        return tags;
    for (int frame = 0; frame < source.numFrames; ++frame) {
        std::string corners =
            CornerDifference(*source.drawn, frame, *copy.drawn, frame, tolerance, near.fileTriangles);
        if (!corners.empty())
            return corners;
    }
    return "";
}

}  // namespace

std::string Difference(const Assembly& source, const Assembly& copy, float tolerance)
{
    Nearness near;
    near.tolerance = tolerance;
    return Difference(source, copy, near);
}

std::string Difference(const Assembly& source, const Assembly& copy, const Nearness& near)
{
    if (source.pieces.size() != copy.pieces.size())
        return Numbers("pieces", source.pieces.size(), copy.pieces.size());
    for (size_t p = 0; p < source.pieces.size(); ++p) {
        std::string piece = PieceDifference(*source.pieces[p], *copy.pieces[p], near);
        if (!piece.empty())
            return "piece " + std::to_string(p) + ": " + piece;
    }
    return "";
}

std::string SequenceDifference(const Assembly& source, const Assembly& copy, float tolerance)
{
    if (source.legs < 0 || source.torso < 0 || copy.legs < 0 || copy.torso < 0)
        return "a player without legs or torso";
    for (bool legs : {true, false}) {
        const ModelObject& a = *source.pieces[legs ? source.legs : source.torso];
        const ModelObject& b = *copy.pieces[legs ? copy.legs : copy.torso];
        for (const PlayerAnimation& sequence : a.sequences) {
            auto found = std::find_if(b.sequences.begin(), b.sequences.end(),
                                      [&](const PlayerAnimation& s) { return s.name == sequence.name; });
            if (found == b.sequences.end())
                return "the copy has no " + sequence.name;
            if (found->count != sequence.count || found->loop != sequence.loop || found->fps != sequence.fps)
                return sequence.name + " plays otherwise in the copy";
            for (int k = 0; k < sequence.count; ++k) {
                std::string corners =
                    CornerDifference(*a.drawn, sequence.first + k, *b.drawn, found->first + k, tolerance);
                if (!corners.empty())
                    return sequence.name + ": " + corners;
            }
        }
    }
    return "";
}

std::string ShaderDifference(const Assembly& source, const std::vector<std::string>& shaders)
{
    // A shader's name as the engines match it: lower case, no extension.
    auto matched = [](std::string name) {
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        size_t dot = name.rfind('.');
        return dot != std::string::npos && name.find('/', dot) == std::string::npos ? name.substr(0, dot) : name;
    };
    std::set<std::string> worn, named;
    for (const auto& piece : source.pieces)
        for (int skin = 0; skin < std::min(piece->numSkins, 1); ++skin)
            for (int32_t shader : piece->skins[skin].partShaders)
                if (shader >= 0 && piece->shaders[shader].script)
                    worn.insert(piece->shaders[shader].script->name);
    for (const std::string& shader : shaders)
        named.insert(matched(shader));
    for (const std::string& name : worn)
        if (!named.count(name))
            return "the copy's surfaces do not name the shader " + name;
    return "";
}
