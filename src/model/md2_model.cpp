// A Quake 2 model: its load, its skins found by name, and its drawn form.
#include <memory>
#include <vector>

#include "geometry/normals.h"
#include "model/format_loads.h"
#include "model/layouts.h"
#include "model/palettes.h"
#include "platform/error_log.h"

std::unique_ptr<ModelObject> InitMd2Object(const char* path)
{
    auto model = std::make_unique<ModelObject>();
    std::unique_ptr<Md2File> file = OpenModelFile("OpenMd2File", "md2", path, OpenMd2Bytes);
    if (!file) {
        ReportError("InitMd2Object: unable to open md2 file");
        return nullptr;
    }
    std::vector<SkinName> skinNames;
    Reports reports;
    bool read = ReadMd2Sections(*file, skinNames, model->frameNames, reports);
    ReportAll(reports);
    if (!read)
        return nullptr;

    PrepareSkinSlots(model.get(), file->header.skinWidth, file->header.skinHeight);
    const uint8_t* palette = skinNames.empty() ? nullptr : ModelPalette(kModelMd2, path);
    for (const SkinName& name : skinNames) {
        if (ReadMD2Skin(name, path, palette, model.get()) != 1) {
            ReportError("InitMd2Object: Couldn't read skin");
            return nullptr;
        }
    }
    return FinishModelLoad(std::move(model), std::move(file), kModelMd2);
}

DrawnModel ConvertRecord(const Md2File& file)
{
    DrawnModel drawn;
    drawn.frameCount = file.header.numFrames;
    drawn.externalSkins = file.header.numSkins;
    drawn.loaderName = "InitMd2Object";
    drawn.drawName = "DrawMD2Frame()";
    DrawnPart part;
    part.triangles = Md2TriangleLayout(file);
    // Without usable GL commands the model is drawn from its triangles.
    if (!file.glCommands.empty())
        part.commands = Md2CommandLayout(file);
    part.corners = TriangleCorners(file);
    VertexFrames& frames = part.frames;
    frames.storage = VertexStorage::kBytes;
    frames.first = file.frames.empty() ? nullptr : file.frames.data() + 40;
    frames.stride = static_cast<size_t>(Md2FrameSize(file.header));
    frames.frameCount = file.frames.empty() ? 0 : file.header.numFrames;
    frames.vertexCount = file.header.numXyz;
    frames.transformPerFrame = true;
    for (int f = 0; f < frames.frameCount; ++f) {
        Md2FrameHeader header = Md2FrameHeaderAt(file, f);
        FrameTransform transform;
        std::copy(header.scale, header.scale + 3, transform.scale);
        std::copy(header.translate, header.translate + 3, transform.translate);
        frames.transforms.push_back(transform);
        frames.lacksNormals.push_back(FrameLacksNormals(Md2FrameVertices(file, f), file.header.numXyz));
    }
    drawn.parts.push_back(std::move(part));
    return drawn;
}

bool DescribeMd2(const std::string&, const std::vector<uint8_t>& bytes, ModelSummary& summary, Reports& reports)
{
    std::unique_ptr<Md2File> file = OpenMd2Bytes(bytes, reports);
    std::vector<SkinName> skins;
    std::unique_ptr<FrameName[]> names;
    if (!file || !ReadMd2Sections(*file, skins, names, reports))
        return false;
    SummariseDrawn(ConvertRecord(*file), summary);
    summary.skins = file->header.numSkins;
    return true;
}
