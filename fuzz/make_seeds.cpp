// Writes the fuzz targets' seed corpora from the fixtures the tests use:
// make_seeds FOLDER, one sub-folder per target.
#include <sys/stat.h>

#include <string>

#include "support/gltf_fixtures.h"
#include "studio_writer.h"
#include "support/test_files.h"

int main(int argc, char** argv)
{
    std::string root = argc > 1 ? argv[1] : "seeds";
    mkdir(root.c_str(), 0755);
    auto put = [&](const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes) {
        mkdir((root + "/" + target).c_str(), 0755);
        writers::WriteFile(root + "/" + target + "/" + name, bytes);
    };
    writers::Md2Model md2 = TinyMd2({"stand1", "stand2", "run1"});
    md2.skins = {"models/a/skin.pcx"};
    put("md2", "tiny.md2", writers::WriteMd2(md2));
    md2.glCommands.clear();
    put("md2", "no-commands.md2", writers::WriteMd2(md2));
    put("mdl", "tiny.mdl", writers::WriteMdl(TinyMdl(3, 2)));
    writers::MdlModel groups = TinyMdl(5, 3);
    writers::MdlFrame frameGroup;
    frameGroup.type = 1;
    for (int k = 1; k < 4; ++k)
        frameGroup.pictures.push_back(groups.frames[k].frame);
    groups.frames.erase(groups.frames.begin() + 1, groups.frames.begin() + 4);
    groups.frames.insert(groups.frames.begin() + 1, frameGroup);
    groups.skins[1].group = 1;
    groups.skins[1].count = 2;
    groups.skins[1].pixels.resize(2 * 64, 50);
    put("mdl", "groups.mdl", writers::WriteMdl(groups));
    writers::Md3Model md3;
    md3.frameNames = {"a", "b"};
    md3.surfaces = {TinySurface("one", 2, "models/one.tga"), TinySurface("two", 2)};
    writers::Md3Tag tag;
    tag.name = "tag_torso";
    md3.tags.assign(2, {tag});
    put("md3", "two-surfaces.md3", writers::WriteMd3(md3));
    put("mdc", "two-surfaces.mdc", writers::WriteMdc(md3, {true, false}, {{10, 20, 30}}));
    std::string skin = "tag_torso,\nl_legs,models/players/x/skin.tga\n";
    put("md3_text", "lower_default.skin", std::vector<uint8_t>(skin.begin(), skin.end()));
    std::string config = "sex m\nheadoffset 0 0 0\n";
    for (int i = 0; i < 25; ++i)
        config += std::to_string(i) + " 2 1 15\t// comment\n";
    put("md3_text", "animation.cfg", std::vector<uint8_t>(config.begin(), config.end()));
    std::string script = SampleShaderScript();
    put("shader", "sample.shader", std::vector<uint8_t>(script.begin(), script.end()));
    writers::SkeletalModel arm = TwoBoneArm();
    put("iqm", "arm.iqm", writers::WriteIqm(arm));
    put("dpm", "arm.dpm", writers::WriteDpm(arm));
    put("zym", "arm.zym", writers::WriteZym(arm));
    writers::StudioOptions studio;
    studio.textures = {{"arm_skin", 0x40, 8, 8, {}}};
    studio.firstBlended = true;
    studio.attachments = {{1, {5, 0, 0}}};
    studio.bodyParts = {{{0}}, {{}, {0}}};
    put("studio", "arm.mdl", writers::WriteStudio(OneBoneArm(), studio).model);
    writers::SkeletalModel animations = arm;
    animations.meshes.clear();
    put("iqm", "animations.iqm", writers::WriteIqm(animations));
    std::string mesh = writers::WriteMd5Mesh(arm);
    put("md5", "arm.md5mesh", std::vector<uint8_t>(mesh.begin(), mesh.end()));
    arm.joints[0].name = "root", arm.joints[1].name = "child";
    std::string anim = "anim" + writers::WriteMd5Anim(arm, arm.animations[0]);
    put("md5", "raise.md5anim", std::vector<uint8_t>(anim.begin(), anim.end()));
    put("pcx", "256.pcx", TestPcx(16, 12));
    put("pcx", "16.pcx", TestPcx(9, 5, false));
    put("palette", "palette.lmp", std::vector<uint8_t>(768, 7));
    std::vector<uint8_t> tga = {1, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0, 0x83, 1, 2, 3};
    put("skin_image", "run-length.tga", tga);
    const writers::ArchiveFiles files = {{"gfx/palette.lmp", std::vector<uint8_t>(768, 3)},
                                         {"pics/colormap.pcx", TestPcx(4, 4)},
                                         {"progs/tiny.mdl", writers::WriteMdl(TinyMdl(3, 2))}};
    put("archive", "game.pak", writers::WritePak(files));
    put("archive", "game.pk3", writers::WriteZip(files));
    writers::GltfBuilder gltfs[] = {MorphGltf(), SkinnedGltf(), NestedGltf(), QuantizedGltf()};
    for (size_t g = 0; g < 4; ++g) {
        put("gltf", std::to_string(g) + ".glb", gltfs[g].Glb());
        std::string json = gltfs[g].Json();
        put("gltf", std::to_string(g) + ".gltf", std::vector<uint8_t>(json.begin(), json.end()));
    }
    std::string obj = "mtllib a.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvn 0 0 1\nusemtl red\n"
                      "f 1/1/1 2/2/1 3/1/1\ng other\nf -3 -2 -1 1\n";
    put("obj", "triangle.obj", std::vector<uint8_t>(obj.begin(), obj.end()));
    std::string mtl = "mtl\nnewmtl red\nKd 1 0 0\nd 0.5\nmap_Kd red.png\nKe 1 1 1\nmap_Ke glow.png\n";
    put("obj", "red.mtl", std::vector<uint8_t>(mtl.begin(), mtl.end()));
    return 0;
}
