// A Quake 2 model: its load, its skins found by name, and its drawn form.
#include <memory>
#include <vector>

#include "geometry/normals.h"
#include "model/format_loads.h"
#include "model/layouts.h"
#include "model/md2_model.h"
#include "looks/palettes.h"
#include "platform/error_log.h"

namespace {

std::shared_ptr<const FrameLayout> Md2TriangleLayout(const Md2File& file)
{
    auto layout = std::make_shared<FrameLayout>();
    LayoutBuilder builder(*layout);
    float width = SkinDivisor(file.header.skinWidth), height = SkinDivisor(file.header.skinHeight);
    for (const Md2Triangle& tri : file.triangles) {
        for (int k = 0; k < 3; ++k) {
            uint32_t vertex = static_cast<uint16_t>(tri.vertexIndex[k]);
            uint32_t texCoord = static_cast<uint16_t>(tri.texCoordIndex[k]);
            const Md2TexCoord& st = file.texCoords[texCoord];
            builder.Add(uint64_t(vertex) << 32 | texCoord, vertex, st.s / width, st.t / height);
        }
    }
    return layout;
}

// Strips and fans become the triangles OpenGL makes of them, in the same
// order and each with the same last vertex, so one draw gives the same picture.
std::shared_ptr<const FrameLayout> Md2CommandLayout(const Md2File& file)
{
    auto layout = std::make_shared<FrameLayout>();
    LayoutBuilder builder(*layout);
    const std::vector<int32_t>& words = file.glCommands;
    std::vector<uint32_t> packet;
    for (size_t i = 0; i < words.size();) {
        int32_t n = words[i++];
        if (n == 0)
            break;
        packet.clear();
        for (int64_t v = n > 0 ? n : -int64_t(n); v > 0; --v, i += 3) {
            float st[2];
            memcpy(st, &words[i], 8);
            uint32_t vertex = static_cast<uint32_t>(words[i + 2]);
            uint64_t key = uint64_t(vertex) << 48 ^ uint64_t(static_cast<uint32_t>(words[i])) << 16 ^
                           static_cast<uint32_t>(words[i + 1]);
            packet.push_back(builder.Vertex(key, vertex, st[0], st[1], &words[i]));
        }
        for (size_t k = 0; k + 2 < packet.size(); ++k) {
            bool fan = n < 0, odd = k % 2 == 1;
            builder.Index(fan ? packet[0] : odd ? packet[k + 1] : packet[k]);
            builder.Index(fan ? packet[k + 1] : odd ? packet[k] : packet[k + 1]);
            builder.Index(packet[k + 2]);
        }
    }
    return layout;
}

std::vector<uint32_t> TriangleCorners(const Md2File& file)
{
    std::vector<uint32_t> corners;
    corners.reserve(3 * file.triangles.size());
    for (const Md2Triangle& tri : file.triangles)
        for (int16_t index : tri.vertexIndex)
            corners.push_back(static_cast<uint16_t>(index));
    return corners;
}

}  // namespace

namespace {

std::unique_ptr<ModelObject> InitMd2Object(const char* path, std::vector<uint8_t> bytes)
{
    auto model = std::make_unique<ModelObject>();
    std::unique_ptr<Md2File> file = OpenModelBytes(std::move(bytes), OpenMd2Bytes);
    if (!file) {
        ReportError("InitMd2Object: unable to open md2 file");
        return nullptr;
    }
    std::vector<Md2SkinName> skinNames;
    Reports reports;
    bool read = ReadMd2Sections(*file, skinNames, model->frameNames, reports);
    ReportAll(reports);
    if (!read)
        return nullptr;

    PrepareSkinSlots(model.get(), file->header.skinWidth, file->header.skinHeight);
    const uint8_t* palette = skinNames.empty() ? nullptr : ModelPalette(QuakeGame::kQuake2, path);
    for (const Md2SkinName& name : skinNames) {
        if (ReadMD2Skin(name, path, palette, model.get()) != 1) {
            ReportError("InitMd2Object: Couldn't read skin");
            return nullptr;
        }
    }
    return FinishModelLoad(std::move(model), std::move(file));
}

}  // namespace

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

namespace {

bool DescribeMd2(const std::string&, const std::vector<uint8_t>& bytes, ModelSummary& summary, Reports& reports)
{
    std::unique_ptr<Md2File> file = OpenMd2Bytes(bytes, reports);
    std::vector<Md2SkinName> skins;
    std::unique_ptr<FrameName[]> names;
    if (!file || !ReadMd2Sections(*file, skins, names, reports))
        return false;
    SummariseDrawn(ConvertRecord(*file), summary);
    summary.skins = file->header.numSkins;
    return true;
}

}  // namespace

extern const ModelFormat kMd2Format = {
    "md2", {"md2"}, "IDP2", "Quake 2 Models", "Quake Models", "Quake 2 model", "model/x-quake2-md2", false, false,
    "OpenMd2File", "InitMd2Object", InitMd2Object, DescribeMd2, nullptr, nullptr, nullptr, nullptr, nullptr};
