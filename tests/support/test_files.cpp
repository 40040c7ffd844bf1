#include "support/test_files.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

TempDir::TempDir()
{
    char pattern[] = "/tmp/tarnivel-test-XXXXXX";
    path_ = mkdtemp(pattern) ? pattern : "/tmp";
}

TempDir::~TempDir()
{
    std::error_code ignored;
    if (path_.rfind("/tmp/tarnivel-test-", 0) == 0)
        fs::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    std::string path = Path(name);
    fs::create_directories(fs::path(path).parent_path());
    writers::WriteFile(path, bytes);
    return path;
}

WorkingDirectory::WorkingDirectory(const std::string& path) : previous_(fs::current_path())
{
    fs::current_path(path);
}

WorkingDirectory::~WorkingDirectory() { fs::current_path(previous_); }

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::string text = ReadText(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::string ReadText(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

bool FileExists(const std::string& path) { return fs::exists(path); }

int Occurrences(const std::string& text, const std::string& what)
{
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

namespace {

std::vector<writers::Vertex> TinyVertices(int f)
{
    const int by[4] = {0, 40, 40, 0}, bz[4] = {0, 0, 60, 60};
    std::vector<writers::Vertex> vertices;
    for (int v = 0; v < 4; ++v)
        vertices.push_back({uint8_t(10 * v + 4 * f), uint8_t(by[v] + 8 * f), uint8_t(bz[v] + 12 * f),
                            uint8_t(v + f)});
    return vertices;
}

}  // namespace

writers::Md2Model TinyMd2(const std::vector<std::string>& frameNames)
{
    writers::Md2Model model;
    model.texCoords = {{0, 0}, {8, 0}, {8, 8}, {0, 8}};
    model.triangles = {{0, 1, 2, 0, 1, 2}, {0, 2, 3, 0, 2, 3}};
    for (size_t f = 0; f < frameNames.size(); ++f)
        model.frames.push_back({{1, 2, 4}, {10, 20, 30}, frameNames[f], TinyVertices(static_cast<int>(f))});
    model.glCommands = writers::FanCommands(model);
    return model;
}

writers::MdlModel TinyMdl(int frames, int skins)
{
    writers::MdlModel model;
    model.scale[0] = 1, model.scale[1] = 2, model.scale[2] = 4;
    model.translate[0] = 10, model.translate[1] = 20, model.translate[2] = 30;
    for (int s = 0; s < skins; ++s)
        model.skins.push_back({0, std::vector<uint8_t>(64, static_cast<uint8_t>(16 * (s + 1))), 1, {}});
    model.texCoords = {{0, 0, 0}, {0, 2, 0}, {0, 2, 6}, {1, 1, 6}};
    model.triangles = {{1, 0, 1, 2}, {0, 0, 2, 3}};
    for (int f = 0; f < frames; ++f) {
        writers::MdlFrame frame;
        frame.frame.name = "frame" + std::to_string(f + 1);
        frame.frame.vertices = TinyVertices(f);
        model.frames.push_back(frame);
    }
    return model;
}

std::vector<uint8_t> TestPcx(int width, int height, bool palette256)
{
    static std::vector<uint8_t> palette;
    for (int i = static_cast<int>(palette.size()) / 3; i < 256; ++i)
        palette.insert(palette.end(), {uint8_t(255 - i), uint8_t(i), uint8_t(7)});
    writers::PcxPicture pcx;
    pcx.width = width;
    pcx.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pcx.indices.push_back(static_cast<uint8_t>((x + y) % 256));
    pcx.palette256 = palette256 ? palette.data() : nullptr;
    pcx.version = palette256 ? 5 : 3;
    return writers::WritePcx(pcx);
}
