#include "support/test_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

TempDir::TempDir()
{
    char pattern[] = "/tmp/tarnivel-test-XXXXXX";
    char* made = mkdtemp(pattern);
    path_ = made ? made : "/tmp";
}

TempDir::~TempDir()
{
    if (path_.rfind("/tmp/tarnivel-test-", 0) == 0) {
        std::string command = "rm -rf '" + path_ + "'";
        if (system(command.c_str()) != 0)
            fprintf(stderr, "could not remove %s\n", path_.c_str());
    }
}

std::string TempDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    std::string path = Path(name);
    for (size_t slash = path.find('/', path_.size() + 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
    writers::WriteFile(path, bytes);
    return path;
}

WorkingDirectory::WorkingDirectory(const std::string& path)
{
    char cwd[4096];
    previous_ = getcwd(cwd, sizeof cwd) ? cwd : "/";
    if (chdir(path.c_str()) != 0)
        perror("chdir");
}

WorkingDirectory::~WorkingDirectory()
{
    if (chdir(previous_.c_str()) != 0)
        perror("chdir");
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool FileExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
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
    for (size_t f = 0; f < frameNames.size(); ++f) {
        writers::Frame frame;
        frame.name = frameNames[f];
        frame.scale[0] = 1, frame.scale[1] = 2, frame.scale[2] = 4;
        frame.translate[0] = 10, frame.translate[1] = 20, frame.translate[2] = 30;
        frame.vertices = TinyVertices(static_cast<int>(f));
        model.frames.push_back(frame);
    }
    model.glCommands = writers::FanCommands(model);
    return model;
}

writers::MdlModel TinyMdl(int frames, int skins)
{
    writers::MdlModel model;
    model.scale[0] = 1, model.scale[1] = 2, model.scale[2] = 4;
    model.translate[0] = 10, model.translate[1] = 20, model.translate[2] = 30;
    for (int s = 0; s < skins; ++s) {
        writers::MdlSkin skin;
        skin.pixels.assign(64, static_cast<uint8_t>(16 * (s + 1)));
        model.skins.push_back(skin);
    }
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
    if (palette.empty())
        for (int i = 0; i < 256; ++i)
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
