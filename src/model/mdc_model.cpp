// Return to Castle Wolfenstein's compressed MD3: its load with the skins an
// MD3 finds, its frames decoded.
#include "model/mdc_model.h"

#include "model/format_loads.h"
#include "model/md3_model.h"

DrawnModel ConvertRecord(const MdcFile& file)
{
    DrawnModel drawn = Md3Shape(file.shape);
    drawn.loaderName = "InitMdcObject";
    drawn.drawName = "DrawMDCFrame()";
    for (size_t s = 0; s < drawn.parts.size(); ++s) {
        VertexFrames& frames = drawn.parts[s].frames;
        frames.storage = VertexStorage::kFloats;
        frames.first = reinterpret_cast<const uint8_t*>(file.frames[s].data());
        frames.stride = sizeof(FloatVertex) * static_cast<size_t>(frames.vertexCount);
        frames.transforms.push_back({{1, 1, 1}, {0, 0, 0}});
        frames.lacksNormals.assign(static_cast<size_t>(frames.frameCount), 0);
    }
    return drawn;
}

namespace {

std::unique_ptr<ModelObject> InitMdcObject(const char* path, std::vector<uint8_t> bytes)
{
    Reports reports;
    std::unique_ptr<MdcFile> file = ReadMdc(bytes, reports);
    ReportAll(reports);
    if (!file)
        return nullptr;
    std::unique_ptr<ModelObject> model = Md3LookedModel(path, file->shape, "InitMdcObject");
    model->drawn = std::make_unique<const DrawnModel>(ConvertRecord(*file));
    model->fileData = std::move(file);
    InitCommonModelFields(model.get());
    return model;
}

bool DescribeMdc(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary, Reports& reports)
{
    std::unique_ptr<MdcFile> file = ReadMdc(bytes, reports);
    if (!file)
        return false;
    SummariseDrawn(ConvertRecord(*file), summary);
    summary.skins = static_cast<int32_t>(Md3SkinFiles(path).size());
    summary.columns.push_back(std::to_string(file->shape.surfaces.size()) + " surfaces, " +
                              std::to_string(file->baseFrames) + " base and " + std::to_string(file->compressedFrames) +
                              " compressed frames");
    summary.columns.push_back(std::to_string(file->shape.numTags) + " tags");
    return true;
}

}  // namespace

extern const ModelFormat kMdcFormat = {
    "mdc", {"mdc"}, "IDPC", "Wolfenstein Models", nullptr, "Return to Castle Wolfenstein model", "model/x-rtcw-mdc",
    false, false, "ReadMdc", "InitMdcObject", InitMdcObject, DescribeMdc, nullptr, nullptr, nullptr, nullptr, nullptr};
