#include "looks/shader_library.h"

#include <strings.h>

#include <algorithm>
#include <map>

#include "archive/game_files.h"
#include "platform/error_log.h"
#include "platform/paths.h"

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

// Each script file's name (lower case) and the first place's copy of it.
std::map<std::string, std::string> ScriptFiles(const std::vector<std::string>& places)
{
    std::map<std::string, std::string> files;
    for (const std::string& place : places) {
        std::string folder = place.back() == '/' ? place + "scripts/" : place + "/scripts/";
        for (const std::string& file : GameFolderFiles(folder)) {
            const char* extension = ExtractExtension(file.c_str());
            if (extension && strcasecmp(extension, "shader") == 0)
                files.emplace(Lower(FileNameOf(file)), file);  // a place searched earlier keeps its copy
        }
    }
    return files;
}

ShaderLibrary ReadLibrary(const std::vector<std::string>& places)
{
    ShaderLibrary library;
    std::map<std::string, std::string> files = ScriptFiles(places);
    for (auto file = files.rbegin(); file != files.rend(); ++file) {
        std::vector<uint8_t> bytes;
        std::string error;
        if (ReadGameFile(file->second, bytes, error) != GameFileResult::kOk)
            continue;
        Reports reports;
        std::vector<ShaderScript> shaders =
            ReadShaderScript(std::string(bytes.begin(), bytes.end()), file->second, reports);
        ReportAll(reports);
        ++library.files;
        for (ShaderScript& shader : shaders) {
            std::string key = shader.name;
            library.byName.emplace(key, std::make_shared<const ShaderScript>(std::move(shader)));
        }
    }
    return library;
}

}  // namespace

const ShaderLibrary& ShaderLibraryOf(const std::vector<std::string>& places)
{
    static std::map<std::vector<std::string>, ShaderLibrary> read;
    auto known = read.find(places);
    if (known != read.end())
        return known->second;
    return read.emplace(places, ReadLibrary(places)).first->second;
}

const ShaderScript* FindShaderScript(const ShaderLibrary& library, const std::string& name)
{
    auto found = library.byName.find(ShaderKey(name));
    return found == library.byName.end() ? nullptr : found->second.get();
}
