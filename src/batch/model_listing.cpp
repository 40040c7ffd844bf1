#include "batch/model_listing.h"

#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <memory>
#include <vector>

#include "archive/archive.h"
#include "archive/game_files.h"
#include "model/darkplaces_files.h"
#include "model/load.h"
#include "model/model_formats.h"
#include "platform/error_log.h"
#include "platform/paths.h"

namespace {

// A model whose file gives some frame no normals is marked: it is lit by
// normals worked out from its triangles.
std::string Line(const std::string& path, const char* format, const ModelSummary& summary)
{
    char counts[200];
    snprintf(counts, sizeof counts, "\t%s\t%d frames\t%lld vertices\t%lld triangles\t%d skins%s", format,
             summary.frames, static_cast<long long>(summary.vertices), static_cast<long long>(summary.triangles),
             summary.skins, summary.normalsFromTriangles ? "\tnormals from triangles" : "");
    std::string line = path + counts;
    for (const std::string& column : summary.columns)
        line += "\t" + column;
    return line;
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
    std::vector<std::string> names;
    for (const ArchiveEntry& entry : archive->entries)
        if (IsModelFileName(entry.name))
            names.push_back(entry.name);
    names = WholeModels(names, path + "/");
    std::sort(names.begin(), names.end());
    std::vector<const ArchiveEntry*> models;
    for (const ArchiveEntry& entry : archive->entries)
        if (std::binary_search(names.begin(), names.end(), entry.name))
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
    files = WholeModels(files);
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
        if (IsArchiveName(file))
            ListArchive(file, out);
        else
            ListModelFile(file, out);
    }
}

// ".mdl, .md2, .md3"
std::string ListedExtensions()
{
    std::string text;
    for (const std::string& own : ModelExtensions())
        text += (text.empty() ? "." : ", .") + own;
    return text;
}

}  // namespace

bool ListingLine(const std::string& path, const std::vector<uint8_t>& bytes, std::string& line)
{
    std::string family;
    const ModelFormat* format = FormatOfFile(path, bytes, family);
    ModelSummary summary;
    Reports reports;
    bool read = format && format->describe(path, bytes, summary, reports);
    ReportAll(reports);
    if (!family.empty()) {
        ReportError("ListModels: %s is %s, which is not read", path.c_str(), family.c_str());
        return false;
    }
    if (!read) {
        ReportError("ListModels: %s is not a model that loads", path.c_str());
        return false;
    }
    int level = 0;
    std::string of = FileNameOf(path).find("_lod") == std::string::npos
                         ? std::string()
                         : LevelOfDetailOf(path, GameFolderFiles(DirectoryOf(path)), &level);
    if (!of.empty())
        summary.columns.push_back("level of detail " + std::to_string(level) + " of " + FileNameOf(of));
    line = Line(path, format->key, summary);
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
        ReportError("ListModels: %s is neither a model (%s), an archive (.pak, .pk3, .zip) nor a folder", path.c_str(),
                    ListedExtensions().c_str());
        return 1;
    }
    return ListModelFile(path, out) ? 0 : 1;
}
