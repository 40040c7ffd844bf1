// Any model as a Quake III MD3: its frames (a skeleton's sampled), tags,
// and a surface a part, split under ioquake3's limits; positions in 1/64
// units, normals as latitude and longitude.
#include "export/md3_export.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "export/game_frames.h"
#include "export/game_looks.h"
#include "export/surface_split.h"
#include "formats/vertex_normals.h"
#include "platform/names.h"

namespace {

constexpr float kMd3Reach = 32767.0f / 64.0f;  // the farthest a 1/64-unit short reaches

// A surface's name: lower case, as the engines compare them, told apart
// from the others; a piece of a split one ends "_2", "_3"... which
// ioquake3 strips back off as it loads it, so each matches its .skin line.
std::string SurfaceName(const std::string& given, const std::string& model, size_t index, size_t piece,
                        std::vector<std::string>& taken)
{
    std::string name = AsText(given.empty() ? model : given);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    std::replace(name.begin(), name.end(), ',', '_');  // a .skin line's own separator
    if (name.empty())
        name = "surface" + std::to_string(index + 1);
    name = FirstCharacters(name, 60);
    if (piece == 0) {
        std::string base = name;
        for (int n = 2; std::find(taken.begin(), taken.end(), name) != taken.end(); ++n)
            name = base + std::to_string(n);
    } else {
        const char kMarks[] = "23456789abcdefghijklmnopqrstuvwxyz";
        name += std::string("_") + kMarks[std::min<size_t>(piece - 1, sizeof kMarks - 2)];
    }
    taken.push_back(name);
    return name;
}

struct Posed {
    std::vector<std::vector<float>> positions, normals;  // by part
};

// Into the same buffers frame after frame: a long animation allocates once.
void PoseAll(const DrawnModel& drawn, const GameFrame& frame, float scale, Posed& posed)
{
    posed.positions.resize(drawn.parts.size());
    posed.normals.resize(drawn.parts.size());
    for (size_t p = 0; p < drawn.parts.size(); ++p) {
        if (drawn.parts[p].corners.empty())
            continue;
        PoseGameFrame(drawn.parts[p], static_cast<int>(p), frame, posed.positions[p], posed.normals[p]);
        for (float& v : posed.positions[p])
            v *= scale;
    }
}

class Md3Maker {
public:
    Md3Maker(const ModelObject& model, const std::vector<GameFrame>& frames, float scale, Md3File& file,
             std::vector<std::string>& notes)
        : model_(model), frames_(frames), scale_(scale), file_(file), notes_(notes)
    {
    }

    bool Make(const std::vector<std::string>& shaders, std::string& error)
    {
        MakeSurfaces(shaders);
        if (file_.surfaces.size() > static_cast<size_t>(kMd3MaxSurfaces))
            return Fail(error, std::to_string(file_.surfaces.size()) + " surfaces; MD3 holds " +
                                   std::to_string(kMd3MaxSurfaces));
        if (model_.drawn->tagCount > kMd3MaxTags)
            return Fail(error, std::to_string(model_.drawn->tagCount) + " tags; MD3 holds " +
                                   std::to_string(kMd3MaxTags));
        for (Md3Surface& surface : file_.surfaces)
            surface.vertices.reserve(static_cast<size_t>(surface.numVertices) * frames_.size());
        for (size_t f = 0; f < frames_.size(); ++f)
            if (!AddFrame(f, error))
                return false;
        Note();
        return true;
    }

    const std::vector<size_t>& SurfaceParts() const { return partOf_; }

private:
    static bool Fail(std::string& error, const std::string& what)
    {
        error = "the model has " + what;
        return false;
    }

    void MakeSurfaces(const std::vector<std::string>& shaders)
    {
        std::vector<std::string> taken;
        const DrawnModel& drawn = *model_.drawn;
        for (size_t p = 0; p < drawn.parts.size(); ++p) {
            const DrawnPart& part = drawn.parts[p];
            if (part.corners.empty())
                continue;
            const FrameLayout& layout = part.commands ? *part.commands : *part.triangles;
            std::vector<SurfacePiece> pieces = SplitSurface(layout.indices, layout.frameVertex.size());
            split_ += pieces.size() > 1;
            for (size_t k = 0; k < pieces.size(); ++k) {
                Md3Surface surface;
                surface.name = SurfaceName(part.name, StemOf(model_.path), p, k, taken);
                if (p < shaders.size() && !shaders[p].empty())
                    surface.shaders.push_back(shaders[p]);
                surface.triangles = pieces[k].triangles;
                surface.numVertices = static_cast<int32_t>(pieces[k].vertices.size());
                surface.vertices.reserve(pieces[k].vertices.size() * frames_.size());
                for (uint32_t v : pieces[k].vertices) {
                    surface.texCoords.push_back(layout.texCoords[2 * v]);
                    surface.texCoords.push_back(layout.texCoords[2 * v + 1]);
                    frameVertex_.push_back(layout.frameVertex[v]);
                }
                file_.surfaces.push_back(std::move(surface));
                partOf_.push_back(p);
                vertices_ += pieces[k].vertices.size();
            }
            unique_ += drawn.parts[p].frames.vertexCount ? drawn.parts[p].frames.vertexCount : part.skinned.count;
        }
    }

    bool AddFrame(size_t f, std::string& error)
    {
        Posed& posed = posed_;
        PoseAll(*model_.drawn, frames_[f], scale_, posed);
        Md3Frame frame{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, 0, frames_[f].name};
        bool first = true;
        size_t next = 0;
        for (size_t s = 0; s < file_.surfaces.size(); ++s) {
            Md3Surface& surface = file_.surfaces[s];
            const std::vector<float>& positions = posed.positions[partOf_[s]];
            const std::vector<float>& normals = posed.normals[partOf_[s]];
            for (int32_t v = 0; v < surface.numVertices; ++v) {
                const float* p = &positions[3 * frameVertex_[next + v]];
                float reach = std::max({std::fabs(p[0]), std::fabs(p[1]), std::fabs(p[2])});
                if (reach > kMd3Reach) {
                    char text[160];
                    snprintf(text, sizeof text, "the model reaches %.1f units from its origin at frame %d; MD3 holds "
                             "up to 512: --scale %.3g fits it", reach, frames_[f].from,
                             std::floor(kMd3Reach / reach * scale_ * 1000) / 1000);
                    error = text;
                    return false;
                }
                Md3Vertex vertex;
                int16_t* xyz[3] = {&vertex.x, &vertex.y, &vertex.z};
                for (int a = 0; a < 3; ++a) {
                    *xyz[a] = static_cast<int16_t>(std::floor(p[a] * 64 + 0.5f));
                    float kept = *xyz[a] / 64.0f;
                    largestError_ = std::max(largestError_, std::fabs(kept - p[a]));
                    frame.min[a] = first ? kept : std::min(frame.min[a], kept);
                    frame.max[a] = first ? kept : std::max(frame.max[a], kept);
                }
                first = false;
                vertex.normal = LatLongOfNormal(&normals[3 * frameVertex_[next + v]]);
                surface.vertices.push_back(vertex);
            }
            next += surface.numVertices;
        }
        frame.radius = Radius(frame);
        file_.frames.push_back(frame);
        for (TagPlace tag : GameFrameTags(*model_.drawn, frames_[f])) {
            Md3Tag out{tag.name, {}, {}};
            for (int i = 0; i < 3; ++i) {
                out.origin[i] = tag.origin[i] * scale_;
                std::copy(tag.axis[i], tag.axis[i] + 3, out.axis[i]);
            }
            file_.tags.push_back(out);
        }
        file_.numTags = model_.drawn->tagCount;
        return true;
    }

    static float Radius(const Md3Frame& frame)
    {
        float far[3];
        for (int a = 0; a < 3; ++a)
            far[a] = std::max(std::fabs(frame.min[a]), std::fabs(frame.max[a]));
        return std::sqrt(far[0] * far[0] + far[1] * far[1] + far[2] * far[2]);
    }

    void Note()
    {
        if (split_)
            notes_.push_back(std::to_string(split_) + " surfaces split into pieces of under 1000 vertices and 2000 "
                             "triangles, as ioquake3 takes them");
        if (vertices_ > unique_)
            notes_.push_back(std::to_string(vertices_ - unique_) +
                             " vertices written twice or more, where texture coordinates part or surfaces split");
        char kept[96];
        snprintf(kept, sizeof kept, "positions kept to 1/64 unit: at most %.4f units off", largestError_);
        notes_.push_back(kept);
    }

    const ModelObject& model_;
    const std::vector<GameFrame>& frames_;
    float scale_;
    Md3File& file_;
    std::vector<std::string>& notes_;
    Posed posed_;
    std::vector<uint32_t> frameVertex_;  // each surface's vertices' frame vertices, surface after surface
    std::vector<size_t> partOf_;
    size_t split_ = 0, vertices_ = 0, unique_ = 0;
    float largestError_ = 0;
};

}  // namespace

bool MakeMd3(const ModelObject& model, const std::vector<GameFrame>& frames, float scale,
             const std::vector<std::string>& shaders, Md3File& file, std::vector<size_t>& surfaceParts,
             std::vector<std::string>& notes, std::string& error)
{
    if (frames.size() > static_cast<size_t>(kMd3MaxFrames)) {
        error = "the model has " + std::to_string(frames.size()) + " frames; MD3 holds " +
                std::to_string(kMd3MaxFrames) + " (--frames A-B, or --fps N for a skeletal model)";
        return false;
    }
    file = Md3File();
    Md3Maker maker(model, frames, scale, file, notes);
    if (!maker.Make(shaders, error))
        return false;
    surfaceParts = maker.SurfaceParts();
    return true;
}

bool WriteMd3Model(const ModelObject& model, const ExportRequest& request, std::string& error)
{
    std::vector<std::string> notes;
    std::vector<GameFrame> frames;
    GameLooks looks;
    std::string folder = FolderOf(request.output), stem = StemOf(request.output);
    if (!MakeGameFrames(model, request, frames, error) ||
        !MakeGameLooks(model, folder, stem, "", looks, notes, error))
        return false;
    int shown = std::max(0, std::min(request.skin, static_cast<int>(looks.shaders.size()) - 1));
    Md3File file;
    std::vector<size_t> partOf;
    if (!MakeMd3(model, frames, GameScale(request), looks.shaders[shown], file, partOf, notes, error))
        return false;
    file.name = stem + ".md3";
    std::vector<uint8_t> bytes = WriteMd3(file);
    OutputFiles files = looks.pictures;
    std::vector<std::string> surfaces;
    for (const Md3Surface& surface : file.surfaces)
        surfaces.push_back(surface.name);
    AddSkinFiles(looks, surfaces, partOf, folder + stem, files);
    if (!WriteGameFiles({{request.output, &bytes}}, files, error))
        return false;
    notes.push_back("within the limits of ioquake3 and DarkPlaces");
    if (request.summary)
        request.summary->notes = notes, request.summary->frames = static_cast<int>(frames.size());
    return true;
}
