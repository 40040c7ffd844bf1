#include "model/cube_models.h"

#include <strings.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "archive/game_files.h"
#include "formats/cube_config.h"
#include "model/load.h"
#include "platform/error_log.h"
#include "platform/paths.h"

namespace {

// "<dds>skin.jpg" is skin.jpg: the engines' loading hints come first.
std::string WithoutHints(std::string name)
{
    while (!name.empty() && name[0] == '<' && name.find('>') != std::string::npos)
        name.erase(0, name.find('>') + 1);
    return name;
}

// "a/b/../c" is "a/c": members of an archive have no "..", and the
// configurations reach sibling folders with it.
std::string WithoutUps(const std::string& path)
{
    std::vector<std::string> kept;
    size_t at = 0;
    bool absolute = !path.empty() && path[0] == '/';
    while (at <= path.size()) {
        size_t end = path.find('/', at);
        if (end == std::string::npos)
            end = path.size();
        std::string piece = path.substr(at, end - at);
        if (piece == ".." && !kept.empty() && kept.back() != "..")
            kept.pop_back();
        else if (!piece.empty() && piece != ".")
            kept.push_back(piece);
        at = end + 1;
    }
    std::string out = absolute ? "/" : "";
    for (size_t i = 0; i < kept.size(); ++i)
        out += (i ? "/" : "") + kept[i];
    return out;
}

std::string Parent(const std::string& folder)
{
    std::string trimmed = folder.substr(0, folder.size() - 1);
    size_t slash = trimmed.rfind('/');
    return slash == std::string::npos ? std::string() : trimmed.substr(0, slash + 1);
}

std::string AsFolderOf(std::string path)
{
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

bool Exists(const std::string& path)
{
    return !FindGameFile(path).empty() || !GameFolderFiles(AsFolderOf(path)).empty();
}

class Executor {
public:
    Executor(const std::string& prefix, CubeModelConfig& out) : prefix_(prefix), out_(out) {}

    void Run(const std::string& file, const std::string& folder, int depth)
    {
        std::vector<uint8_t> bytes;
        std::string error;
        if (depth > 8 || ReadGameFile(file, bytes, error) != GameFileResult::kOk)
            return;
        Reports reports;
        std::vector<CubeCommand> commands = ReadCubeConfig(std::string(bytes.begin(), bytes.end()), file, reports);
        ReportAll(reports);
        for (const CubeCommand& command : commands)
            Command(command, folder, depth);
    }

private:
    // Paths of exec and dir lines are the game data folder's: the folder
    // above the configuration where they are found.
    std::string FromRoot(const std::string& folder, const std::string& path)
    {
        if (!root_.empty())
            return root_ + path;
        // A relative folder cannot reach above the working folder.
        std::string start = folder;
        if (start.empty() || start[0] != '/')
            start = AsFolderOf(std::filesystem::absolute(start.empty() ? "." : start).lexically_normal().string());
        for (std::string at = start; !at.empty(); at = Parent(at))
            if (Exists(at + path))
                return (root_ = at) + path;
        return folder + path;
    }

    void Command(const CubeCommand& command, const std::string& folder, int depth)
    {
        const std::vector<std::string>& words = command.words;
        std::string name = command.name;
        if (name == "exec" && !words.empty())
            return Run(FromRoot(folder, words[0]), folder, depth + 1);
        if (name == "mdlyaw" && !words.empty())
            out_.yaw = static_cast<float>(atof(words[0].c_str()));
        if (name.compare(0, prefix_.size(), prefix_) != 0 || words.empty())
            return;
        name = name.substr(prefix_.size());
        if (name == "dir")
            dir_ = AsFolderOf(FromRoot(folder, words[0]));
        else if (name == "load")
            out_.mesh = WithoutUps(Here(folder) + words[0]);
        else if (name == "skin" && words.size() >= 2)
            out_.skins.push_back({words[0], WithoutUps(Here(folder) + WithoutHints(words[1]))});
        else if (name == "anim" && words.size() >= 2)
            out_.animations.push_back({words[0].substr(0, words[0].find('|')), WithoutUps(Here(folder) + words[1]),
                                       words.size() > 2 ? static_cast<float>(atof(words[2].c_str())) : 0.0f});
    }

    std::string Here(const std::string& folder) const { return dir_.empty() ? folder : dir_; }

    std::string prefix_;
    CubeModelConfig& out_;
    std::string dir_, root_;
};

}  // namespace

CubeModelConfig ReadCubeModelConfig(const std::string& modelPath, const std::string& prefix)
{
    CubeModelConfig config;
    std::string folder = DirectoryOf(modelPath), file = FindGameFile(folder + prefix + ".cfg");
    if (file.empty())
        return config;
    config.found = true;
    Executor(prefix, config).Run(file, folder, 0);
    return config;
}

bool ConfigIsModels(const CubeModelConfig& config, const std::string& modelPath)
{
    return config.found &&
           (config.mesh.empty() || strcasecmp(FileNameOf(config.mesh).c_str(), FileNameOf(modelPath).c_str()) == 0);
}
