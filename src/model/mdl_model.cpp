// A Quake model: its load, the skins it holds, and its drawn form.
#include <cstdio>
#include <memory>
#include <vector>

#include "geometry/normals.h"
#include "model/format_loads.h"
#include "model/layouts.h"
#include "model/mdl_model.h"
#include "looks/palettes.h"
#include "looks/skins.h"
#include "platform/error_log.h"

namespace {

std::shared_ptr<const FrameLayout> MdlTriangleLayout(const MdlFile& file)
{
    auto layout = std::make_shared<FrameLayout>();
    LayoutBuilder builder(*layout);
    const MdlHeader& h = file.header;
    float width = SkinDivisor(h.skinWidth), height = SkinDivisor(h.skinHeight);
    for (const MdlTriangle& tri : file.triangles) {
        for (int k = 0; k < 3; ++k) {
            uint32_t vertex = static_cast<uint32_t>(tri.vertexIndex[k]);
            const MdlTexCoord& st = file.texCoords[vertex];
            bool shifted = st.onSeam != 0 && tri.facesFront == 0;
            int64_t s = st.s;  // a hostile file's s plus half the width may not fit an int
            if (shifted)
                s += h.skinWidth / 2;
            builder.Add(uint64_t(vertex) << 1 | shifted, vertex, static_cast<float>(s) / width, st.t / height);
        }
    }
    return layout;
}

std::vector<uint32_t> TriangleCorners(const MdlFile& file)
{
    std::vector<uint32_t> corners;
    corners.reserve(3 * file.triangles.size());
    for (const MdlTriangle& tri : file.triangles)
        for (int32_t index : tri.vertexIndex)
            corners.push_back(static_cast<uint32_t>(index));
    return corners;
}

}  // namespace

int ReadMDLSkin(const MdlFile& file, const MdlSkinPicture& picture, const uint8_t* palette, ModelObject* model)
{
    RgbImage image;
    if (!PalettedSkin(file.file.data() + picture.offset, palette, model->skinWidth, model->skinHeight, 256, image))
        return 0;
    SkinInfo& skin = model->skins[model->numSkins];
    skin = SkinInfo{};
    skin.group = picture.group;
    skin.interval = picture.interval;
    snprintf(skin.name, sizeof skin.name, "skin%2d", model->numSkins);
    model->skinPictures.push_back(std::move(image));
    model->hasSkins = model->texturing = true;
    model->numSkins++;
    return 1;
}

namespace {

std::unique_ptr<ModelObject> InitMdlObject(const char* path, std::vector<uint8_t> bytes)
{
    auto model = std::make_unique<ModelObject>();
    std::unique_ptr<MdlFile> file = OpenModelBytes(std::move(bytes), OpenMdlBytes);
    if (!file) {
        ReportError("InitMdlObject: unable to open mdl file");
        return nullptr;
    }
    std::vector<MdlSkinPicture> skins;
    Reports reports;
    bool read = ReadMdlSections(*file, skins, model->frameNames, reports);
    ReportAll(reports);
    if (!read)
        return nullptr;

    PrepareSkinSlots(model.get(), file->header.skinWidth, file->header.skinHeight);
    const uint8_t* palette = skins.empty() ? nullptr : ModelPalette(QuakeGame::kQuake, path);
    if (!skins.empty() && !palette) {
        if (FirstMissingPalette(QuakeGame::kQuake))
            ReportError("InitMdlObject: no palette.lmp for the skins of \"%s\" (not in the working directory, %s"
                        "or the game's gfx/palette.lmp); it loads untextured",
                        path, PaletteFoldersText().c_str());
        skins.clear();
    }
    for (const MdlSkinPicture& picture : skins) {
        if (ReadMDLSkin(*file, picture, palette, model.get()) != 1) {
            ReportError("InitMdlObject: Couldn't read skin");
            return nullptr;
        }
    }
    return FinishModelLoad(std::move(model), std::move(file));
}

}  // namespace

DrawnModel ConvertRecord(const MdlFile& file)
{
    DrawnModel drawn;
    drawn.frameCount = file.frameCount;
    drawn.loaderName = "InitMdlObject";
    drawn.drawName = "DrawMDLFrame()";
    for (const MdlFrameGroup& group : file.frameGroups)
        drawn.frameGroups.push_back({group.entry, group.firstFrame, group.intervals});
    DrawnPart part;
    part.triangles = MdlTriangleLayout(file);
    part.corners = TriangleCorners(file);
    VertexFrames& frames = part.frames;
    frames.storage = VertexStorage::kBytes;
    frames.first = file.frames.empty() ? nullptr : file.frames.data() + 24;
    frames.stride = static_cast<size_t>(MdlFrameSize(file.header));
    frames.frameCount = file.frames.empty() ? 0 : file.frameCount;
    frames.vertexCount = file.header.numVerts;
    FrameTransform transform;
    std::copy(file.header.scale, file.header.scale + 3, transform.scale);
    std::copy(file.header.translate, file.header.translate + 3, transform.translate);
    frames.transforms.push_back(transform);
    for (int f = 0; f < frames.frameCount; ++f)
        frames.lacksNormals.push_back(FrameLacksNormals(MdlFrameVertices(file, f), file.header.numVerts));
    drawn.parts.push_back(std::move(part));
    return drawn;
}

namespace {

bool DescribeMdl(const std::string&, const std::vector<uint8_t>& bytes, ModelSummary& summary, Reports& reports)
{
    std::unique_ptr<MdlFile> file = OpenMdlBytes(bytes, reports);
    std::vector<MdlSkinPicture> skins;
    std::unique_ptr<FrameName[]> names;
    if (!file || !ReadMdlSections(*file, skins, names, reports))
        return false;
    SummariseDrawn(ConvertRecord(*file), summary);
    summary.skins = static_cast<int32_t>(skins.size());
    return true;
}

}  // namespace

extern const ModelFormat kMdlFormat = {
    "mdl", {"mdl"}, "IDPO", "Quake 1 Models", "Quake Models", "Quake model", "model/x-quake-mdl", false, false,
    "OpenMdlFile", "InitMdlObject", InitMdlObject, DescribeMdl, nullptr, nullptr, nullptr, nullptr, nullptr};
