#include "export/export_mesh.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

#include "formats/png_writer.h"
#include "formats/truecolour.h"
#include "geometry/pose.h"

namespace {

ExportPart MakePart(int index, std::shared_ptr<const FrameLayout> layout)
{
    ExportPart part;
    part.part = index;
    part.layout = std::move(layout);
    // The viewer's front faces wind clockwise; glTF's and OBJ's counter-clockwise.
    const std::vector<uint32_t>& drawn = part.layout->indices;
    part.indices.resize(drawn.size());
    for (size_t i = 0; i + 2 < drawn.size(); i += 3)
        part.indices[i] = drawn[i], part.indices[i + 1] = drawn[i + 2], part.indices[i + 2] = drawn[i + 1];
    return part;
}

}  // namespace

bool MakeExportMesh(const ModelObject& model, int first, int last, float scale, ExportMesh& mesh, std::string& error)
{
    if (first < 0)
        first = 0, last = model.numFrames - 1;
    if (first > last || last >= model.numFrames) {
        error = "the model has no frames " + std::to_string(first) + "-" + std::to_string(last) + " (it has 0-" +
                std::to_string(model.numFrames - 1) + ")";
        return false;
    }
    // As the viewer draws it: from the file's own strips and fans when it has usable ones.
    mesh.parts.clear();
    const std::vector<DrawnPart>& parts = model.drawn->parts;
    for (size_t p = 0; p < parts.size(); ++p)
        if (!parts[p].corners.empty())  // glTF holds no empty primitive
            mesh.parts.push_back(MakePart(static_cast<int>(p), parts[p].commands ? parts[p].commands : parts[p].triangles));
    mesh.frames.clear();
    for (int frame = first; frame <= last; ++frame)
        mesh.frames.push_back(frame);
    mesh.scale = scale;
    return true;
}

void ExportFrame(const ModelObject& model, const ExportMesh& mesh, int part, int frame, std::vector<float>& positions,
                 std::vector<float>& normals)
{
    const ExportPart& exported = mesh.parts[part];
    static thread_local std::vector<float> framePositions, frameNormals;
    PoseFrame(model.drawn->parts[exported.part], frame, true, framePositions, frameNormals);
    const std::vector<uint32_t>& frameVertex = exported.layout->frameVertex;
    positions.resize(3 * frameVertex.size());
    normals.resize(positions.size());
    for (size_t i = 0; i < frameVertex.size(); ++i) {
        const float* p = &framePositions[3 * frameVertex[i]];
        const float* n = &frameNormals[3 * frameVertex[i]];
        for (int a = 0; a < 3; ++a) {
            positions[3 * i + a] = p[(a + 1) % 3] * mesh.scale;  // x, y, z from Quake's y, z, x
            normals[3 * i + a] = n[(a + 1) % 3];
        }
    }
}

int PartPicture(const ModelObject& model, int skin, int part)
{
    if (skin < 0 || skin >= model.numSkins)
        return -1;
    int slot = model.drawn->parts[part].skinSlot;
    if (slot < 0)
        return skin < static_cast<int>(model.skinPictures.size()) ? skin : -1;
    const std::vector<int32_t>& pictures = model.skins[skin].partPictures;
    return slot < static_cast<int>(pictures.size()) ? pictures[slot] : -1;
}

std::string SkinName(const ModelObject& model, int skin)
{
    return std::string(model.skins[skin].name, strnlen(model.skins[skin].name, sizeof model.skins[skin].name));
}

std::string FrameNameOf(const ModelObject& model, int frame)
{
    const char* text = model.frameNames[frame].text;
    std::string name(text, strnlen(text, sizeof model.frameNames[frame].text));
    // A frame the file left unnamed is named by its place.
    if (name.find_first_not_of(' ') == std::string::npos)
        return "frame" + std::to_string(frame);
    return name;
}

std::vector<FrameSequence> FrameSequences(const ModelObject& model, const ExportMesh& mesh)
{
    std::vector<FrameSequence> sequences;
    std::map<std::string, int> uses;
    std::string last;
    for (size_t i = 0; i < mesh.frames.size(); ++i) {
        std::string stem = FrameNameOf(model, mesh.frames[i]);
        while (!stem.empty() && isdigit(static_cast<unsigned char>(stem.back())))
            stem.pop_back();
        while (!stem.empty() && (stem.back() == '_' || stem.back() == ' '))
            stem.pop_back();  // "run_1" plays "run", never "run_"
        if (stem.empty())
            stem = "frames";
        if (!sequences.empty() && stem == last) {
            ++sequences.back().count;
            continue;
        }
        int use = ++uses[stem];  // a name met again later is told apart
        sequences.push_back({use == 1 ? stem : stem + "_" + std::to_string(use), i, 1});
        last = stem;
    }
    return sequences;
}

std::vector<float> FrameTimes(const ModelObject& model, const ExportMesh& mesh, double fps)
{
    std::vector<float> times;
    double now = 0;
    for (int frame : mesh.frames) {
        times.push_back(static_cast<float>(now));
        int picture = 0;
        const FrameGroup* group = FrameGroupOf(*model.drawn, frame, &picture);
        double shown = 1.0 / fps;
        if (group)
            shown = group->intervals[picture] - (picture > 0 ? group->intervals[picture - 1] : 0.0f);
        now += std::max(shown, 0.001);  // key times must rise, whatever a group's intervals say
    }
    return times;
}

bool SkinPng(const RgbImage& given, std::string& png)
{
    if (!given.png.empty() && PngPixelsOnly(given.png, png))
        return true;
    // A PNG read without its pixels whose chunks could not be kept as they are.
    RgbImage decoded;
    bool undecoded = given.rgb.empty() && !given.png.empty();
    if (undecoded && !DecodeTrueColour(given.png.data(), given.png.size(), "png", decoded, true))
        return false;
    const RgbImage& picture = undecoded ? decoded : given;
    if (picture.alpha.empty())
        return EncodePng(picture.rgb.data(), picture.width, picture.height, 3, png);
    std::vector<uint8_t> rgba(4 * picture.alpha.size());
    for (size_t i = 0; i < picture.alpha.size(); ++i) {
        std::copy(&picture.rgb[3 * i], &picture.rgb[3 * i] + 3, &rgba[4 * i]);
        rgba[4 * i + 3] = picture.alpha[i];
    }
    return EncodePng(rgba.data(), picture.width, picture.height, 4, png);
}

int PartShaderIndex(const ModelObject& model, int skin, int part)
{
    if (skin < 0 || skin >= model.numSkins)
        return -1;
    int slot = model.drawn->parts[part].skinSlot;
    const std::vector<int32_t>& shaders = model.skins[skin].partShaders;
    return slot >= 0 && slot < static_cast<int>(shaders.size()) ? shaders[slot] : -1;
}
