#include "model/model_formats.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <set>

#include "archive/game_files.h"
#include "platform/paths.h"

// The rows, each defined beside its format's load. The order is the one the
// file chooser offers and the reports name them in: the two Quake formats
// the viewer began with, then the later ones. No name or magic matches two
// rows, so the order never picks a reader.
extern const ModelFormat kMdlFormat, kMd2Format, kMd3Format, kIqmFormat, kMd5Format, kZymFormat, kDpmFormat,
    kStudioFormat, kMdcFormat, kGltfFormat, kGltfTextFormat, kObjFormat;
namespace {

const ModelFormat* const kRows[] = {&kMdlFormat, &kMd2Format, &kMd3Format,  &kIqmFormat,      &kMd5Format,
                                    &kZymFormat, &kDpmFormat, &kStudioFormat, &kMdcFormat, &kGltfFormat, &kGltfTextFormat, &kObjFormat};

}  // namespace

const ModelFormatTable kModelFormats = {std::begin(kRows), std::end(kRows)};

namespace {

// Families of models that share extensions with the rows but that the
// viewer does not read: told by their first bytes, so a file of one is
// named for what it is rather than refused as a broken file of the row.
struct OtherFamily {
    const char* magic;
    const char* name;
    int versionAt;  // where a 32-bit version follows, or -1
    bool bigEndian;
};

const OtherFamily kOtherFamilies[] = {
    {"IDSQ", "a Half-Life sequence group", 4, false},
    {"RAPO", "a Hexen II model", 4, false},
    {"MDL2", "a 3D GameStudio model", -1, false},
    {"MDL3", "a 3D GameStudio model", -1, false},
    {"MDL4", "a 3D GameStudio model", -1, false},
    {"MDL5", "a 3D GameStudio model", -1, false},
    {"MDL7", "a 3D GameStudio model", -1, false},
};

std::string Lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<uint8_t> FirstBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    std::string error;
    if (ReadGameFile(path, bytes, error) != GameFileResult::kOk)
        bytes.clear();
    return bytes;
}

bool Begins(const std::vector<uint8_t>& bytes, const char* magic)
{
    size_t size = strlen(magic);
    return bytes.size() >= size && memcmp(bytes.data(), magic, size) == 0;
}

std::string FamilyText(const OtherFamily& family, const std::vector<uint8_t>& bytes)
{
    std::string text = std::string(family.name) + " (" + family.magic;
    size_t at = static_cast<size_t>(family.versionAt);
    if (family.versionAt >= 0 && bytes.size() >= at + 4) {
        uint32_t version = 0;
        for (int i = 0; i < 4; ++i)
            version |= static_cast<uint32_t>(bytes[at + (family.bigEndian ? 3 - i : i)]) << (8 * i);
        text += ", version " + std::to_string(static_cast<int32_t>(version));
    }
    return text + ")";
}

}  // namespace

std::vector<std::string> ModelExtensions()
{
    std::vector<std::string> all;
    for (const ModelFormat* format : kModelFormats)
        for (const char* const* own = format->extensions; own < std::end(format->extensions) && *own; ++own)
            if (std::find(all.begin(), all.end(), *own) == all.end())
                all.push_back(*own);
    return all;
}

std::vector<std::string> WholeModels(const std::vector<std::string>& names, const std::string& prefix)
{
    std::set<std::string> lower;
    for (const std::string& name : names)
        lower.insert(Lowered(name));
    std::vector<std::string> whole;
    for (const std::string& name : names) {
        bool part = false;
        std::string model;
        for (const ModelFormat* format : kModelFormats)
            part = part || (format->partOf && format->partOf(name, model) && lower.count(Lowered(model)) &&
                            format->isPart(FirstBytes(prefix + name)));
        if (!part)
            whole.push_back(name);
    }
    return whole;
}

const ModelFormat* FormatOfName(const std::string& name)
{
    const char* extension = ExtractExtension(name.c_str());
    if (!extension)
        return nullptr;
    for (const ModelFormat* format : kModelFormats)
        for (const char* const* own = format->extensions; own < std::end(format->extensions) && *own; ++own)
            if (strcasecmp(extension, *own) == 0)
                return format;
    return nullptr;
}

const ModelFormat* FormatOfFile(const std::string& name, const std::vector<uint8_t>& bytes, std::string& family)
{
    family.clear();
    for (const ModelFormat* format : kModelFormats)
        if (format->magic && Begins(bytes, format->magic))
            return format;
    for (const OtherFamily& other : kOtherFamilies) {
        if (Begins(bytes, other.magic)) {
            family = FamilyText(other, bytes);
            return nullptr;
        }
    }
    return FormatOfName(name);
}

namespace {

// "NAME *.a,*.b | *.a *.A *.b *.B" for the formats the test picks.
template <typename Picks>
std::string Filter(const std::string& name, Picks picks)
{
    std::string shown, patterns;
    std::vector<std::string> seen;  // Quake's and Half-Life's rows share .mdl
    for (const ModelFormat* format : kModelFormats) {
        if (!picks(*format))
            continue;
        for (const char* const* own = format->extensions; own < std::end(format->extensions) && *own; ++own) {
            if (std::find(seen.begin(), seen.end(), *own) != seen.end())
                continue;
            seen.push_back(*own);
            std::string lower = *own, upper = lower;
            for (char& c : upper)
                c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
            shown += (shown.empty() ? "*." : ",*.") + lower;
            patterns += (patterns.empty() ? "*." : " *.") + lower + " *." + upper;
        }
    }
    return "--file-filter=" + name + " " + shown + " | " + patterns;
}

}  // namespace

std::vector<std::string> ModelFileFilters()
{
    std::vector<std::string> filters = {Filter("Models", [](const ModelFormat&) { return true; })};
    std::vector<std::string> families;
    for (const ModelFormat* format : kModelFormats) {
        if (!format->family || std::find(families.begin(), families.end(), format->family) != families.end())
            continue;
        families.push_back(format->family);
        std::string family = format->family;
        filters.push_back(Filter(family, [&](const ModelFormat& f) { return f.family && family == f.family; }));
    }
    for (const ModelFormat* format : kModelFormats)
        filters.push_back(Filter(format->name, [&](const ModelFormat& f) { return &f == format; }));
    return filters;
}

void SummariseDrawn(const DrawnModel& drawn, ModelSummary& summary)
{
    summary.frames = drawn.frameCount;
    summary.vertices = VertexCount(drawn);
    summary.triangles = TriangleCount(drawn);
    summary.normalsFromTriangles = SomeFrameLacksNormals(drawn);
}
