// Skeletal models, IQM and MD5: the mesh file, its animations (its own, a
// cube-engine configuration's, or the animation files beside it whose
// joints match), its skins, and its drawn form.
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include "archive/game_files.h"
#include "model/cube_models.h"
#include "model/format_loads.h"
#include "model/skeletons.h"
#include "model/surface_looks.h"
#include "platform/error_log.h"
#include "platform/paths.h"

namespace {

bool HasExtension(const std::string& name, const char* wanted)
{
    const char* extension = ExtractExtension(name.c_str());
    return extension && strcasecmp(extension, wanted) == 0;
}

std::string Stem(const std::string& path)
{
    std::string name = FileNameOf(path);
    return name.substr(0, name.rfind('.'));
}

// Animation files read once a run: a folder's are tried for every model in it.
template <typename Record>
std::shared_ptr<const Record> Cached(const std::string& path, std::unique_ptr<Record> (*read)(const std::vector<uint8_t>&, Reports&))
{
    static std::map<std::string, std::shared_ptr<const Record>> read_;
    auto known = read_.find(path);
    if (known != read_.end())
        return known->second;
    std::vector<uint8_t> bytes;
    std::string error;
    Reports quiet;
    std::shared_ptr<const Record> record;
    if (ReadGameFile(path, bytes, error) == GameFileResult::kOk)
        record = read(bytes, quiet);
    return read_.emplace(path, record).first->second;
}

std::unique_ptr<IqmFile> ReadIqmBytes(const std::vector<uint8_t>& bytes, Reports& reports)
{
    return ReadIqm(bytes, reports);
}

std::unique_ptr<Md5AnimFile> ReadMd5AnimBytes(const std::vector<uint8_t>& bytes, Reports& reports)
{
    return ReadMd5Anim(std::string(bytes.begin(), bytes.end()), reports);
}

// Any IQM serves as a configuration's animation; found beside a model, only one of animations alone.
bool AddAnimationFile(Skeleton& skeleton, const std::string& path, const std::string& name, float fps,
                      bool animationsOnly)
{
    if (HasExtension(path, "md5anim")) {
        std::shared_ptr<const Md5AnimFile> file = Cached<Md5AnimFile>(path, ReadMd5AnimBytes);
        return file && AddMd5Animation(skeleton, *file, name.empty() ? Stem(path) : name, fps);
    }
    std::shared_ptr<const IqmFile> file = Cached<IqmFile>(path, ReadIqmBytes);
    return file && (!animationsOnly || file->meshes.empty()) && AddIqmAnimations(skeleton, *file, name, fps);
}

// The configuration's animations when it is the model's, else the files
// beside it (its folder, then the one above) that hold only animations of
// the same joints.
void AddAnimations(Skeleton& skeleton, const std::string& path, const CubeModelConfig& config, const char* who)
{
    bool ours = config.found && (config.mesh.empty() || strcasecmp(FileNameOf(config.mesh).c_str(),
                                                                   FileNameOf(path).c_str()) == 0);
    if (ours) {
        for (const CubeAnimation& animation : config.animations) {
            std::string file = FindGameFile(animation.path);
            if (file.empty() || !AddAnimationFile(skeleton, file, animation.name, animation.fps, false))
                ReportError("%s: the animation \"%s\" (%s) is missing or does not match the joints of \"%s\"; it "
                            "is left out",
                            who, animation.name.c_str(), animation.path.c_str(), path.c_str());
        }
        return;
    }
    std::string folder = DirectoryOf(path);
    for (const std::string& place : {folder, DirectoryOf(folder.substr(0, folder.size() - 1))}) {
        std::vector<std::string> files = GameFolderFiles(place);
        std::sort(files.begin(), files.end());
        for (const std::string& file : files)
            if ((HasExtension(file, "iqm") || HasExtension(file, "md5anim")) &&
                strcasecmp(file.c_str(), path.c_str()) != 0)
                AddAnimationFile(skeleton, file, "", 0, true);
    }
}

// One skin set: each mesh the configuration's image for it, else its own material's look.
void AddSkins(ModelObject* model, const std::vector<DrawnPart>& parts, const CubeModelConfig& config,
              const std::string& path, const char* who)
{
    PrepareSkinSlots(model, 0, 0);
    if (parts.empty())
        return;
    SurfaceLooks looks(model, path, who);
    SkinInfo& skin = model->skins[model->numSkins++];
    snprintf(skin.name, sizeof skin.name, "default");
    for (const DrawnPart& part : parts) {
        std::string name = part.material;
        for (const auto& entry : config.skins)
            if (entry.first == "*" || entry.first == part.name)
                name = entry.second;
        SurfaceLook look = looks.Of(name);
        skin.partPictures.push_back(look.picture);
        skin.partShaders.push_back(look.shader);
    }
    model->hasSkins = model->texturing = !model->skinPictures.empty() || !model->shaders.empty();
}

void NameFrames(ModelObject* model, const Skeleton& skeleton)
{
    std::vector<std::string> names = SkeletalFrameNames(skeleton);
    model->numFrames = static_cast<int32_t>(names.size());
    model->frameNames = std::make_unique<FrameName[]>(names.size());
    for (size_t f = 0; f < names.size(); ++f)
        memcpy(model->frameNames[f].text, names[f].c_str(), std::min(names[f].size(), sizeof(FrameName)));
}

// The parts of an IQM wear their materials (or, without, their names).
std::vector<DrawnPart> Named(std::vector<DrawnPart> parts, const IqmFile& file)
{
    for (size_t m = 0; m < parts.size(); ++m)
        parts[m].material = file.meshes[m].material.empty() ? file.meshes[m].name : file.meshes[m].material;
    return parts;
}

template <typename Record>
std::unique_ptr<ModelObject> FinishSkeletal(const char* path, std::unique_ptr<Record> file, Skeleton skeleton,
                                            std::vector<DrawnPart> (*parts)(const Record&,
                                                                            const std::shared_ptr<const Skeleton>&,
                                                                            Reports&),
                                            const CubeModelConfig& config, ModelType type, const char* who,
                                            const char* draw)
{
    auto model = std::make_unique<ModelObject>();
    FinishSkeleton(skeleton);
    auto shared = std::make_shared<const Skeleton>(std::move(skeleton));
    Reports reports;
    std::vector<DrawnPart> drawn = parts(*file, shared, reports);
    ReportAll(reports);
    AddSkins(model.get(), drawn, config, path, who);
    NameFrames(model.get(), *shared);
    model->drawn = std::make_unique<const DrawnModel>(SkeletalDrawn(std::move(drawn), shared, who, draw));
    model->fileData = std::move(file);
    InitCommonModelFields(model.get());
    model->modelType = type;
    return model;
}

std::vector<DrawnPart> Md5NamedParts(const Md5MeshFile& file, const std::shared_ptr<const Skeleton>& skeleton,
                                     Reports& reports)
{
    std::vector<DrawnPart> parts = Md5Parts(file, skeleton, reports);
    for (size_t m = 0; m < parts.size(); ++m)
        parts[m].material = file.meshes[m].shader.empty() ? parts[m].name : file.meshes[m].shader;
    return parts;
}

std::vector<DrawnPart> IqmNamedParts(const IqmFile& file, const std::shared_ptr<const Skeleton>& skeleton,
                                     Reports& reports)
{
    return Named(IqmParts(file, skeleton, reports), file);
}

std::string AnimationNames(const Skeleton& skeleton)
{
    std::string names;
    for (const SkeletalAnimation& animation : skeleton.animations)
        names += (names.empty() ? "" : ",") + animation.name;
    return names;
}

void SummariseSkeletal(const Skeleton& skeleton, size_t meshes, ModelSummary& summary)
{
    summary.skins = meshes ? 1 : 0;
    summary.columns.push_back(std::to_string(meshes) + " meshes");
    summary.columns.push_back(std::to_string(skeleton.joints.size()) + " joints");
    summary.columns.push_back(std::to_string(skeleton.animations.size()) + " animations " + AnimationNames(skeleton));
}

// A file of animations only: what it gives other models.
void SummariseAnimations(const IqmFile& file, ModelSummary& summary)
{
    std::string names;
    for (const IqmAnimation& animation : file.animations)
        names += (names.empty() ? "" : ",") + animation.name;
    summary.frames = static_cast<int32_t>(file.frameCount);
    summary.columns.push_back("animations only: " + std::to_string(file.poses.size()) + " joints, " +
                              std::to_string(file.animations.size()) + " animations " + names);
}

}  // namespace

std::unique_ptr<ModelObject> InitIqmObject(const char* path)
{
    std::vector<uint8_t> bytes;
    if (!ReadModelFile("ReadIqm", "iqm", path, bytes)) {
        ReportError("InitIqmObject: unable to open iqm file");
        return nullptr;
    }
    Reports reports;
    std::unique_ptr<IqmFile> file = ReadIqm(bytes, reports);
    ReportAll(reports);
    if (!file)
        return nullptr;
    CubeModelConfig config = ReadCubeModelConfig(path, "iqm");
    Skeleton skeleton = IqmSkeleton(*file);
    AddAnimations(skeleton, path, config, "InitIqmObject");
    return FinishSkeletal(path, std::move(file), std::move(skeleton), IqmNamedParts, config, kModelIqm,
                          "InitIqmObject", "DrawIQMFrame()");
}

std::unique_ptr<ModelObject> InitMd5Object(const char* path)
{
    std::vector<uint8_t> bytes;
    if (!ReadModelFile("ReadMd5Mesh", "md5mesh", path, bytes)) {
        ReportError("InitMd5Object: unable to open md5mesh file");
        return nullptr;
    }
    Reports reports;
    std::unique_ptr<Md5MeshFile> file = ReadMd5Mesh(std::string(bytes.begin(), bytes.end()), reports);
    ReportAll(reports);
    if (!file)
        return nullptr;
    CubeModelConfig config = ReadCubeModelConfig(path, "md5");
    Skeleton skeleton = Md5Skeleton(*file);
    AddAnimations(skeleton, path, config, "InitMd5Object");
    return FinishSkeletal(path, std::move(file), std::move(skeleton), Md5NamedParts, config, kModelMd5, "InitMd5Object",
                          "DrawMD5Frame()");
}

DrawnModel ConvertRecord(const IqmFile& file)
{
    Skeleton skeleton = IqmSkeleton(file);
    auto shared = std::make_shared<const Skeleton>(std::move(skeleton));
    Reports quiet;
    return SkeletalDrawn(IqmNamedParts(file, shared, quiet), shared, "InitIqmObject", "DrawIQMFrame()");
}

DrawnModel ConvertRecord(const Md5MeshFile& file)
{
    auto shared = std::make_shared<const Skeleton>(Md5Skeleton(file));
    Reports quiet;
    return SkeletalDrawn(Md5Parts(file, shared, quiet), shared, "InitMd5Object", "DrawMD5Frame()");
}

bool DescribeIqm(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary,
                 Reports& reports)
{
    std::unique_ptr<IqmFile> file = ReadIqm(bytes, reports);
    if (!file)
        return false;
    if (file->meshes.empty()) {
        SummariseAnimations(*file, summary);
        return true;
    }
    Skeleton skeleton = IqmSkeleton(*file);
    AddAnimations(skeleton, path, ReadCubeModelConfig(path, "iqm"), "ListModels");
    FinishSkeleton(skeleton);
    auto shared = std::make_shared<const Skeleton>(skeleton);
    SummariseDrawn(SkeletalDrawn(IqmNamedParts(*file, shared, reports), shared, "", ""), summary);
    SummariseSkeletal(skeleton, file->meshes.size(), summary);
    return true;
}

bool DescribeMd5(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary,
                 Reports& reports)
{
    std::unique_ptr<Md5MeshFile> file = ReadMd5Mesh(std::string(bytes.begin(), bytes.end()), reports);
    if (!file)
        return false;
    Skeleton skeleton = Md5Skeleton(*file);
    AddAnimations(skeleton, path, ReadCubeModelConfig(path, "md5"), "ListModels");
    auto shared = std::make_shared<const Skeleton>(skeleton);
    SummariseDrawn(SkeletalDrawn(Md5Parts(*file, shared, reports), shared, "", ""), summary);
    SummariseSkeletal(skeleton, file->meshes.size(), summary);
    return true;
}
