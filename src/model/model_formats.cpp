#include "model/model_formats.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <type_traits>
#include <variant>

#include "model/format_loads.h"
#include "platform/paths.h"

// The order is the one the file chooser offers and the report names them
// in: the two Quake formats the viewer began with, then the later ones. No
// name matches two rows, so the order never picks a reader.
const ModelFormat kModelFormats[] = {
    {"mdl", "Quake 1 Models", "Quake Models", InitMdlObject, DescribeMdl},
    {"md2", "Quake 2 Models", "Quake Models", InitMd2Object, DescribeMd2},
    {"md3", "Quake III Models", nullptr, InitMd3Object, DescribeMd3},
    {"iqm", "Inter-Quake Models", "Skeletal Models", InitIqmObject, DescribeIqm},
    {"md5mesh", "MD5 Models", "Skeletal Models", InitMd5Object, DescribeMd5},
};
const int kNumModelFormats = sizeof kModelFormats / sizeof kModelFormats[0];

const ModelFormat* FormatOfName(const std::string& name)
{
    const char* extension = ExtractExtension(name.c_str());
    for (const ModelFormat& format : kModelFormats)
        if (extension && strcasecmp(extension, format.extension) == 0)
            return &format;
    return nullptr;
}

namespace {

// "NAME *.a,*.b | *.a *.A *.b *.B" for the formats the test picks.
template <typename Picks>
std::string Filter(const std::string& name, Picks picks)
{
    std::string shown, patterns;
    for (const ModelFormat& format : kModelFormats) {
        if (!picks(format))
            continue;
        std::string lower = format.extension, upper = lower;
        for (char& c : upper)
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        shown += (shown.empty() ? "*." : ",*.") + lower;
        patterns += (patterns.empty() ? "*." : " *.") + lower + " *." + upper;
    }
    return "--file-filter=" + name + " " + shown + " | " + patterns;
}

}  // namespace

std::vector<std::string> ModelFileFilters()
{
    std::vector<std::string> filters = {Filter("Models", [](const ModelFormat&) { return true; })};
    std::vector<std::string> families;
    for (const ModelFormat& format : kModelFormats) {
        if (!format.family || std::find(families.begin(), families.end(), format.family) != families.end())
            continue;
        families.push_back(format.family);
        std::string family = format.family;
        filters.push_back(Filter(family, [&](const ModelFormat& f) { return f.family && family == f.family; }));
    }
    for (const ModelFormat& format : kModelFormats)
        filters.push_back(Filter(format.name, [&](const ModelFormat& f) { return &f == &format; }));
    return filters;
}

void MakeDrawnModel(ModelObject* model)
{
    std::visit(
        [model](const auto& record) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(record)>, std::monostate>)
                model->drawn = std::make_unique<const DrawnModel>(ConvertRecord(*record));
        },
        model->fileData);
}

void SummariseDrawn(const DrawnModel& drawn, ModelSummary& summary)
{
    summary.frames = drawn.frameCount;
    summary.vertices = VertexCount(drawn);
    summary.triangles = TriangleCount(drawn);
    summary.normalsFromTriangles = SomeFrameLacksNormals(drawn);
}
