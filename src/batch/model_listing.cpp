#include "batch/model_listing.h"

#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "archive/archive.h"
#include "archive/game_files.h"
#include "formats/md2.h"
#include "formats/md3.h"
#include "formats/mdl.h"
#include "geometry/normals.h"
#include "model/load.h"
#include "platform/error_log.h"
#include "platform/paths.h"

namespace {

// A model whose file gives some frame no normals is marked: it is lit by
// normals worked out from its triangles.
std::string Line(const std::string& path, const char* format, int frames, int vertices, int triangles, int skins,
                 bool lacksNormals)
{
    char counts[160];
    snprintf(counts, sizeof counts, "\t%s\t%d frames\t%d vertices\t%d triangles\t%d skins%s", format, frames,
             vertices, triangles, skins, lacksNormals ? "\tnormals from triangles" : "");
    return path + counts;
}

// Lists every model of an archive; false after a report when it cannot be opened.
bool ListArchive(const std::string& path, FILE* out)
{
    std::string error;
    std::shared_ptr<const Archive> archive = OpenArchive(path, error);
    if (!archive) {
        ReportError("ListModels: %s: %s", path.c_str(), error.c_str());
        return false;
    }
    std::vector<const ArchiveEntry*> models;
    for (const ArchiveEntry& entry : archive->entries)
        if (IsModelFileName(entry.name))
            models.push_back(&entry);
    std::sort(models.begin(), models.end(),
              [](const ArchiveEntry* a, const ArchiveEntry* b) { return a->name < b->name; });
    for (const ArchiveEntry* entry : models) {
        std::vector<uint8_t> bytes;
        std::string line, member = path + "/" + entry->name;
        if (!ReadArchiveEntry(*archive, *entry, bytes, error))
            ReportError("ListModels: %s: %s", path.c_str(), error.c_str());
        else if (ListingLine(member, bytes, line))
            fprintf(out, "%s\n", line.c_str());
    }
    return true;
}

// A loose model or a model inside an archive, named by its path.
bool ListModelFile(const std::string& path, FILE* out)
{
    std::vector<uint8_t> bytes;
    std::string error, line;
    GameFileResult result = ReadGameFile(path, bytes, error);
    if (result != GameFileResult::kOk) {
        ReportError("ListModels: %s: %s", path.c_str(),
                    result == GameFileResult::kMissing    ? "no such file"
                    : result == GameFileResult::kTooLarge ? "larger than 256 MiB"
                                                          : error.c_str());
        return false;
    }
    if (!ListingLine(path, bytes, line))
        return false;
    fprintf(out, "%s\n", line.c_str());
    return true;
}

void ListFolder(const std::string& folder, FILE* out)
{
    std::vector<std::string> files;
    std::error_code error;
    namespace fs = std::filesystem;
    for (auto it = fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::string name = it->path().string();
        if (it->is_regular_file(error) && (IsModelFileName(name) || IsArchiveName(name)))
            files.push_back(name);
    }
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
        if (IsArchiveName(file))
            ListArchive(file, out);
        else
            ListModelFile(file, out);
    }
}

}  // namespace

namespace {

// An MD3's line: its counts, then its surfaces and its tags by name.
bool Md3Line(const std::string& path, const std::vector<uint8_t>& bytes, std::string& line)
{
    Reports reports;
    std::unique_ptr<Md3File> file = ReadMd3(bytes, reports);
    ReportAll(reports);
    if (!file) {
        ReportError("ListModels: %s is not a model that loads", path.c_str());
        return false;
    }
    int vertices = 0, triangles = 0;
    std::string surfaces, tags;
    for (const Md3Surface& surface : file->surfaces) {
        vertices += surface.numVertices;
        triangles += static_cast<int>(surface.triangles.size() / 3);
        surfaces += (surfaces.empty() ? "" : ",") + surface.name;
    }
    for (int t = 0; t < file->numTags; ++t)
        tags += (tags.empty() ? "" : ",") + file->tags[t].name;
    line = Line(path, "md3", FrameCount(*file), vertices, triangles, static_cast<int>(Md3SkinFiles(path).size()),
                false);
    line += "\t" + std::to_string(file->surfaces.size()) + " surfaces " + surfaces + "\t" +
            std::to_string(file->numTags) + " tags " + tags;
    return true;
}

}  // namespace

bool ListingLine(const std::string& path, const std::vector<uint8_t>& bytes, std::string& line)
{
    const char* extension = ExtractExtension(path.c_str());
    if (extension && strcasecmp(extension, "md3") == 0)
        return Md3Line(path, bytes, line);
    Reports reports;
    std::unique_ptr<FrameName[]> names;
    if (extension && strcasecmp(extension, "md2") == 0) {
        std::unique_ptr<Md2File> file = OpenMd2Bytes(bytes, reports);
        std::vector<SkinName> skins;
        bool read = file && ReadMd2Sections(*file, skins, names, reports);
        ReportAll(reports);
        if (!read) {
            ReportError("ListModels: %s is not a model that loads", path.c_str());
            return false;
        }
        const Md2Header& h = file->header;
        line = Line(path, "md2", h.numFrames, h.numXyz, h.numTris, h.numSkins, SomeFrameLacksNormals(*file));
        return true;
    }
    std::unique_ptr<MdlFile> file = OpenMdlBytes(bytes, reports);
    std::vector<MdlSkinPicture> skins;
    bool read = file && ReadMdlSections(*file, skins, names, reports);
    ReportAll(reports);
    if (!read) {
        ReportError("ListModels: %s is not a model that loads", path.c_str());
        return false;
    }
    const MdlHeader& h = file->header;
    line = Line(path, "mdl", FrameCount(*file), h.numVerts, h.numTris, static_cast<int>(skins.size()),
                SomeFrameLacksNormals(*file));
    return true;
}

int ListModels(const std::string& path, FILE* out)
{
    struct stat info;
    bool exists = stat(path.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
        ListFolder(path, out);
        return 0;
    }
    if (exists && IsArchiveName(path))
        return ListArchive(path, out) ? 0 : 1;
    std::string archive, member;
    if (!exists && !SplitArchivePath(path, archive, member)) {
        ReportError("ListModels: %s: no such file or folder", path.c_str());
        return 1;
    }
    if (!IsModelFileName(path)) {
        ReportError("ListModels: %s is neither a model (.mdl, .md2, .md3), an archive (.pak, .pk3, .zip) nor a folder",
                    path.c_str());
        return 1;
    }
    return ListModelFile(path, out) ? 0 : 1;
}
