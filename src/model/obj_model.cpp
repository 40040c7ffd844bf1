// A Wavefront OBJ model: one frame, a part a material, its MTL's images
// found beside it, normals worked out from the triangles where it gives none.
#include <cmath>
#include <map>
#include <tuple>

#include "archive/game_files.h"
#include "formats/obj.h"
#include "geometry/tool_axes.h"
#include "looks/skins.h"
#include "model/format_loads.h"
#include "platform/names.h"
#include "platform/paths.h"

namespace {

// What the drawn form reads its frame from.
struct ObjRecord {
    std::vector<std::vector<FloatVertex>> frames;  // by part
};

bool ReadBeside(const std::string& modelPath, const std::string& name, std::vector<uint8_t>& bytes)
{
    std::string why, error;
    return NameStaysBeside(name, why) &&
           ReadGameFile(DirectoryOf(modelPath) + name, bytes, error) == GameFileResult::kOk;
}

std::vector<MtlMaterial> Materials(const ObjFile& file, const std::string& path)
{
    std::vector<MtlMaterial> all;
    for (const std::string& library : file.libraries) {
        std::vector<uint8_t> bytes;
        std::vector<MtlMaterial> some;
        Reports reports;
        if (!ReadBeside(path, library, bytes)) {
            ReportError("InitObjObject: no material library \"%s\" beside \"%s\"", library.c_str(), path.c_str());
            continue;
        }
        ReadMtl(std::string(bytes.begin(), bytes.end()), some, reports);
        ReportAll(reports);
        all.insert(all.end(), some.begin(), some.end());
    }
    return all;
}

// A material's picture: its map times its colour and alpha, or its colour alone.
RgbImage Picture(const MtlMaterial* material, const std::string& path)
{
    RgbImage image;
    std::vector<uint8_t> bytes;
    if (material && !material->diffuseMap.empty() &&
        (!ReadBeside(path, material->diffuseMap, bytes) ||
         !DecodeTrueColour(bytes.data(), bytes.size(), ExtractExtension(material->diffuseMap.c_str()), image, true)))
        ReportError("InitObjObject: no image \"%s\" beside \"%s\"; the part wears its colour",
                    material->diffuseMap.c_str(), path.c_str());
    if (image.width == 0) {
        image = RgbImage();
        image.width = image.height = 4;
        image.rgb.assign(48, 255);
    }
    const float white[3] = {1, 1, 1};
    const float* tint = material ? material->diffuse : white;
    for (size_t i = 0; i < image.rgb.size(); ++i)
        image.rgb[i] = static_cast<uint8_t>(image.rgb[i] * tint[i % 3] + 0.5f);
    if (material && material->alpha < 1) {
        if (image.alpha.empty())
            image.alpha.assign(image.rgb.size() / 3, 255);
        for (uint8_t& a : image.alpha)
            a = static_cast<uint8_t>(a * material->alpha + 0.5f);
    }
    image.png.clear();
    return image;
}

// A group's corners as array vertices (one a distinct corner) and its frame.
DrawnPart MakePart(const ObjFile& file, const ObjGroup& group, std::vector<FloatVertex>& frame)
{
    auto layout = std::make_shared<FrameLayout>();
    std::map<std::tuple<uint32_t, int32_t, int32_t>, uint32_t> ids;
    bool lacksNormals = false;
    for (const ObjCorner& corner : group.corners) {
        auto key = std::make_tuple(corner.position, corner.texCoord, corner.normal);
        auto known = ids.find(key);
        if (known == ids.end()) {
            uint32_t id = static_cast<uint32_t>(frame.size());
            known = ids.emplace(key, id).first;
            FloatVertex vertex{};
            double p[3] = {file.positions[3 * corner.position], file.positions[3 * corner.position + 1],
                           file.positions[3 * corner.position + 2]};
            GamePoint(p, &vertex.x);
            if (corner.normal >= 0) {
                double n[3] = {file.normals[3 * corner.normal], file.normals[3 * corner.normal + 1],
                               file.normals[3 * corner.normal + 2]};
                // Files leave their normals of any length: the viewer and the writers want them unit.
                double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
                for (double& v : n)
                    v = length > 0 ? v / length : 0;
                GameDirection(n, vertex.normal);
            }
            lacksNormals = lacksNormals || corner.normal < 0;
            frame.push_back(vertex);
            layout->frameVertex.push_back(id);
            float s = corner.texCoord >= 0 ? file.texCoords[2 * corner.texCoord] : 0;
            float t = corner.texCoord >= 0 ? 1 - file.texCoords[2 * corner.texCoord + 1] : 0;  // OBJ's t runs up
            layout->texCoords.insert(layout->texCoords.end(), {s, t});
        }
        layout->indices.push_back(known->second);
    }
    // OBJ's front faces wind the other way from the viewer's.
    for (size_t i = 0; i + 2 < layout->indices.size(); i += 3)
        std::swap(layout->indices[i + 1], layout->indices[i + 2]);
    DrawnPart part;
    part.name = group.material.empty() ? "default" : group.material;
    part.corners = layout->indices;
    part.triangles = layout;
    part.frames.storage = VertexStorage::kFloats;
    part.frames.first = reinterpret_cast<const uint8_t*>(frame.data());
    part.frames.stride = sizeof(FloatVertex) * frame.size();
    part.frames.frameCount = 1;
    part.frames.vertexCount = static_cast<int32_t>(frame.size());
    part.frames.transforms.push_back({{1, 1, 1}, {0, 0, 0}});
    part.frames.lacksNormals.assign(1, lacksNormals ? 1 : 0);
    return part;
}

bool ReadFile(std::vector<uint8_t> bytes, ObjFile& file)
{
    Reports reports;
    bool read = ReadObj(std::string(bytes.begin(), bytes.end()), file, reports);
    ReportAll(reports);
    return read;
}

std::unique_ptr<ModelObject> InitObjObject(const char* path, std::vector<uint8_t> bytes)
{
    ObjFile file;
    if (!ReadFile(std::move(bytes), file)) {
        ReportError("InitObjObject: unable to open obj file");
        return nullptr;
    }
    auto record = std::make_shared<ObjRecord>();
    record->frames.resize(file.groups.size());
    auto model = std::make_unique<ModelObject>();
    DrawnModel drawn;
    drawn.frameCount = 1;
    drawn.loaderName = "InitObjObject";
    drawn.drawName = "DrawObjFrame()";
    std::vector<MtlMaterial> materials = Materials(file, path);
    PrepareSkinSlots(model.get(), 0, 0);
    SkinInfo& skin = model->skins[model->numSkins++];
    CopyText(skin.name, sizeof skin.name, "default");
    for (size_t g = 0; g < file.groups.size(); ++g) {
        DrawnPart part = MakePart(file, file.groups[g], record->frames[g]);
        part.skinSlot = static_cast<int32_t>(g);
        drawn.parts.push_back(std::move(part));
        const MtlMaterial* material = nullptr;
        for (const MtlMaterial& m : materials)
            if (m.name == file.groups[g].material)
                material = &m;
        model->skinPictures.push_back(Picture(material, path));
        skin.partPictures.push_back(static_cast<int32_t>(model->skinPictures.size() - 1));
        skin.partShaders.push_back(-1);
    }
    model->hasSkins = model->texturing = true;
    model->numFrames = 1;
    model->frameNames = std::make_unique<FrameName[]>(1);
    CopyText(model->frameNames[0].text, sizeof model->frameNames[0].text, "frame1");
    model->drawn = std::make_unique<const DrawnModel>(std::move(drawn));
    model->fileData = std::move(record);
    InitCommonModelFields(model.get());
    return model;
}

bool DescribeObj(const std::string&, const std::vector<uint8_t>& bytes, ModelSummary& summary, Reports& reports)
{
    ObjFile file;
    if (!ReadObj(std::string(bytes.begin(), bytes.end()), file, reports))
        return false;
    summary.frames = 1;
    summary.skins = 1;
    for (const ObjGroup& group : file.groups)
        summary.triangles += static_cast<int64_t>(group.corners.size() / 3);
    summary.vertices = static_cast<int64_t>(file.positions.size() / 3);
    summary.normalsFromTriangles = file.normals.empty();
    summary.columns.push_back(std::to_string(file.groups.size()) + " materials");
    return true;
}

}  // namespace

extern const ModelFormat kObjFormat = {
    "obj", {"obj"}, nullptr, "Wavefront OBJ Models", nullptr, "Wavefront OBJ model", "model/obj", true, true,
    "ReadObj", "InitObjObject", InitObjObject, DescribeObj, nullptr, nullptr, nullptr, nullptr, nullptr};
