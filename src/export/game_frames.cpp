#include "export/game_frames.h"

#include <cmath>

#include "export/export_mesh.h"
#include "geometry/pose.h"
#include "platform/names.h"

namespace {

// A skeletal animation at fps: a frame every 1/fps seconds of its own clock.
void SampleAnimation(const SkeletalAnimation& animation, double fps, std::vector<GameFrame>& frames)
{
    double own = animation.fps > 0 ? animation.fps : 10.0;
    double last = (animation.count - 1) / own;
    size_t samples = static_cast<size_t>(std::floor(last * fps + 1e-6)) + 1;
    for (size_t k = 0; k < samples; ++k) {
        double at = k / fps * own;
        int whole = std::min(static_cast<int>(at), animation.count - 1);
        GameFrame frame;
        frame.from = animation.first + whole;
        frame.to = animation.first + std::min(whole + 1, animation.count - 1);
        frame.t = frame.to == frame.from ? 0.0f : static_cast<float>(at - whole);
        frame.name = NumberedFrameName(animation.name, k + 1, kFrameNameCharacters);
        frames.push_back(frame);
    }
}

}  // namespace

std::string NumberedFrameName(const std::string& name, size_t number, size_t characters)
{
    std::string digits = std::to_string(number);
    return FirstCharacters(name, characters > digits.size() ? characters - digits.size() : 0) + digits;
}

bool MakeGameFrames(const ModelObject& model, const ExportRequest& request, std::vector<GameFrame>& frames,
                    std::string& error)
{
    frames.clear();
    const Skeleton* skeleton = model.drawn->skeleton.get();
    if (skeleton && request.fpsGiven && request.firstFrame < 0 && !skeleton->animations.empty()) {
        for (const SkeletalAnimation& animation : skeleton->animations)
            if (animation.count > 0)
                SampleAnimation(animation, request.fps, frames);
        return true;
    }
    ExportMesh mesh;  // the range, checked as every export checks it
    if (!MakeExportMesh(model, request.firstFrame, request.lastFrame, 1.0f, mesh, error))
        return false;
    for (int frame : mesh.frames)
        frames.push_back({frame, frame, 0.0f, FrameNameOf(model, frame)});
    return true;
}

void PoseGameFrame(const DrawnPart& part, int partIndex, const GameFrame& frame, std::vector<float>& positions,
                   std::vector<float>& normals)
{
    if (frame.t == 0.0f) {
        PoseFrame(part, frame.from, true, positions, normals);
        return;
    }
    const int window[4] = {frame.from, frame.from, frame.to, frame.to};
    std::shared_ptr<ComputedNormals> computed;
    std::vector<DecodedVertex> vertices;
    PosePart(part, partIndex, window, frame.t, 1, true, computed, nullptr, vertices);
    positions.resize(3 * vertices.size());
    normals.resize(3 * vertices.size());
    for (size_t v = 0; v < vertices.size(); ++v) {
        const float* n = vertices[v].normal;
        float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (int a = 0; a < 3; ++a) {
            positions[3 * v + a] = vertices[v].position[a];
            normals[3 * v + a] = length > 0 ? n[a] / length : (a == 2 ? 1.0f : 0.0f);
        }
    }
}

std::vector<TagPlace> GameFrameTags(const DrawnModel& drawn, const GameFrame& frame)
{
    std::vector<TagPlace> tags;
    size_t count = static_cast<size_t>(drawn.tagCount);
    if (count == 0 || (static_cast<size_t>(std::max(frame.from, frame.to)) + 1) * count > drawn.tags.size())
        return tags;
    for (size_t t = 0; t < count; ++t) {
        TagPlace tag = drawn.tags[frame.from * count + t];
        const TagPlace& next = drawn.tags[frame.to * count + t];
        for (int i = 0; i < 3; ++i) {
            tag.origin[i] += frame.t * (next.origin[i] - tag.origin[i]);
            for (int k = 0; k < 3; ++k)
                tag.axis[i][k] += frame.t * (next.axis[i][k] - tag.axis[i][k]);
        }
        OrthonormalizeTag(tag.axis);
        tags.push_back(tag);
    }
    return tags;
}
