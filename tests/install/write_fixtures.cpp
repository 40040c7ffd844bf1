// Writes the files the file-manager thumbnail test needs into a folder: a
// Quake pak holding an all-blue gfx/palette.lmp, a Quake model, and a Quake 2
// model whose true-colour skin lies beside it.
#include <string>

#include "support/test_files.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    std::string folder = argv[1];
    std::vector<uint8_t> blue(768);
    for (size_t i = 2; i < blue.size(); i += 3)
        blue[i] = 255;
    writers::WriteFile(folder + "/pak0.pak", writers::WritePak({{"gfx/palette.lmp", blue}}));
    writers::MdlModel mdl = TinyMdl(3, 1);
    mdl.triangles.push_back({1, 0, 2, 1});  // both sides, seen from anywhere
    mdl.triangles.push_back({1, 0, 3, 2});
    writers::WriteFile(folder + "/creature.mdl", writers::WriteMdl(mdl));
    writers::Md2Model md2 = TinyMd2();
    md2.triangles.push_back({0, 2, 1, 0, 2, 1});
    md2.triangles.push_back({0, 3, 2, 0, 3, 2});
    md2.glCommands.clear();
    md2.skins = {"skin.tga"};
    writers::WriteFile(folder + "/figure.md2", writers::WriteMd2(md2));
    // An uncompressed 2 x 2 true-colour TGA, bottom row first.
    std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
    for (int i = 0; i < 4; ++i)
        tga.insert(tga.end(), {0, 200, 0});
    writers::WriteFile(folder + "/skin.tga", tga);
    return 0;
}
