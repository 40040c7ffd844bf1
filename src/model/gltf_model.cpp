// A glTF 2.0 model, binary or text: its load, its listing and its rows.
#include "model/gltf_model.h"

#include <algorithm>
#include <set>

#include "archive/game_files.h"
#include "model/format_loads.h"
#include "platform/names.h"
#include "platform/paths.h"

namespace {

// The files a .gltf names, found beside it as the game finds files: loose,
// or in the archive it lies in.
ReadBesideFunction Beside(const std::string& path)
{
    std::string folder = DirectoryOf(path);
    return [folder](const std::string& name, std::vector<uint8_t>& bytes, std::string& error) {
        switch (ReadGameFile(folder + name, bytes, error)) {
        case GameFileResult::kOk: return true;
        case GameFileResult::kMissing: error = "no such file beside the model"; return false;
        case GameFileResult::kTooLarge: error = "larger than 256 MiB"; return false;
        default: return false;
        }
    };
}

// The file read and converted; false after the reports.
bool Convert(const char* path, const std::vector<uint8_t>& bytes, std::unique_ptr<GltfFile>& file,
             std::vector<GltfPrimitive>& primitives, GltfRecord& record, DrawnModel& drawn,
             std::vector<std::string>& names, Reports& reports)
{
    file = ReadGltf(bytes, Beside(path), reports);
    return file && ReadPrimitives(file->gltf, primitives, reports) &&
           ConvertGltf(file->gltf, primitives, record, drawn, names, reports);
}

std::unique_ptr<ModelObject> PieceModel(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives,
                                        std::shared_ptr<GltfRecord> record, DrawnModel drawn,
                                        const std::vector<std::string>& names);

std::unique_ptr<ModelObject> InitGltfObject(const char* path, std::vector<uint8_t> bytes)
{
    std::unique_ptr<GltfFile> file;
    std::vector<GltfPrimitive> primitives;
    auto record = std::make_shared<GltfRecord>();
    DrawnModel drawn;
    std::vector<std::string> names;
    Reports reports;
    bool read = Convert(path, bytes, file, primitives, *record, drawn, names, reports);
    ReportAll(reports);
    if (!read) {
        ReportError("InitGltfObject: unable to open glTF file");
        return nullptr;
    }
    return PieceModel(file->gltf, primitives, std::move(record), std::move(drawn), names);
}

// A model made of a piece (or of the whole scene): its looks, frames and drawn form.
std::unique_ptr<ModelObject> PieceModel(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives,
                                        std::shared_ptr<GltfRecord> record, DrawnModel drawn,
                                        const std::vector<std::string>& names)
{
    auto model = std::make_unique<ModelObject>();
    AddGltfLooks(gltf, primitives, *model);
    model->numFrames = drawn.frameCount;
    model->frameNames = std::make_unique<FrameName[]>(std::max(1, drawn.frameCount));
    for (int f = 0; f < drawn.frameCount && f < static_cast<int>(names.size()); ++f)
        CopyText(model->frameNames[f].text, sizeof model->frameNames[f].text, names[f]);
    model->drawn = std::make_unique<const DrawnModel>(std::move(drawn));
    model->fileData = std::move(record);
    InitCommonModelFields(model.get());
    return model;
}

bool LoadGltfPieces(const char* path, std::vector<uint8_t> bytes, std::vector<ModelPiece>& pieces)
{
    Reports reports;
    std::unique_ptr<GltfFile> file = ReadGltf(bytes, Beside(path), reports);
    std::vector<GltfPrimitive> primitives;
    std::vector<GltfPieceModel> made;
    bool read = file && ReadPrimitives(file->gltf, primitives, reports);
    if (read && !GltfPieces(file->gltf, primitives, made)) {
        // One model, its scene whole.
        auto record = std::make_shared<GltfRecord>();
        DrawnModel drawn;
        std::vector<std::string> names;
        read = ConvertGltf(file->gltf, primitives, *record, drawn, names, reports);
        ReportAll(reports);
        if (!read)
            return false;
        pieces.clear();
        pieces.push_back({PieceModel(file->gltf, primitives, std::move(record), std::move(drawn), names), -1, ""});
        return true;
    }
    ReportAll(reports);
    if (!read)
        return false;
    pieces.clear();
    for (GltfPieceModel& piece : made) {
        ModelPiece out;
        out.model = PieceModel(file->gltf, piece.primitives, piece.record, std::move(piece.drawn), piece.frameNames);
        out.model->sequences = piece.sequences;
        out.parent = piece.parent;
        out.tag = piece.tag;
        pieces.push_back(std::move(out));
    }
    return true;
}

bool DescribeGltf(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary, Reports& reports)
{
    std::unique_ptr<GltfFile> file;
    std::vector<GltfPrimitive> primitives;
    GltfRecord record;
    DrawnModel drawn;
    std::vector<std::string> names;
    if (!Convert(path.c_str(), bytes, file, primitives, record, drawn, names, reports))
        return false;
    SummariseDrawn(drawn, summary);
    std::set<int> materials;
    for (const GltfPrimitive& primitive : primitives)
        materials.insert(primitive.material);
    auto variants = file->gltf.extensions.find("KHR_materials_variants");
    summary.skins = variants != file->gltf.extensions.end() && Member(variants->second, "variants").IsArray()
                        ? static_cast<int32_t>(Member(variants->second, "variants").ArrayLen())
                        : std::any_of(primitives.begin(), primitives.end(),
                                      [](const GltfPrimitive& p) { return p.material >= 0; });
    std::string animations;
    for (const tinygltf::Animation& animation : file->gltf.animations)
        animations += (animations.empty() ? "" : ",") + AsText(animation.name);
    summary.columns.push_back(std::to_string(primitives.size()) + " parts");
    summary.columns.push_back(std::to_string(materials.size()) + " materials");
    summary.columns.push_back(std::to_string(drawn.skeleton ? drawn.skeleton->joints.size() : 0) + " joints");
    summary.columns.push_back(std::to_string(file->gltf.animations.size()) + " animations " + animations);
    std::string tags;
    for (int t = 0; t < drawn.tagCount; ++t)
        tags += (tags.empty() ? "" : ",") + drawn.tags[t].name;
    summary.columns.push_back(std::to_string(drawn.tagCount) + " tags " + tags);
    return true;
}

}  // namespace

extern const ModelFormat kGltfFormat = {
    "glb", {"glb"}, "glTF", "glTF Binary Models", "glTF Models", "glTF 2.0 binary model", "model/gltf-binary", false,
    true, "ReadGltf", "InitGltfObject", InitGltfObject, DescribeGltf, nullptr, nullptr, LoadGltfPieces, nullptr, nullptr};
extern const ModelFormat kGltfTextFormat = {
    "gltf", {"gltf"}, nullptr, "glTF Text Models", "glTF Models", "glTF 2.0 model", "model/gltf+json", true, true,
    "ReadGltf", "InitGltfObject", InitGltfObject, DescribeGltf, nullptr, nullptr, LoadGltfPieces, nullptr, nullptr};
