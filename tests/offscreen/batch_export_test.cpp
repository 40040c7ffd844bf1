// tarnivel --export OUTDIR/ SOURCE...: the real program on fixture games,
// with no display server.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "formats/png_writer.h"
#include "support/gltf_read.h"
#include "support/programs.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

// A game folder: a pak of models (one broken, one the loose folder
// overrides), loose models (two differing only in extension) and a
// Quake III player.
class BatchExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<uint8_t> md2 = writers::WriteMd2(TinyMd2()), mdl = writers::WriteMdl(TinyMdl());
        dir.Write("game/pak0.pak", writers::WritePak({{"progs/ogre.mdl", mdl},
                                                      {"progs/knight.mdl", mdl},
                                                      {"progs/broken.mdl", {'I', 'D', 'P', 'O', 6, 0, 0, 0}},
                                                      {"models/tris.md2", md2}}));
        dir.Write("game/progs/ogre.mdl", writers::WriteMdl(TinyMdl(2)));
        // Quake reads pak10 before pak2 (and both before pak0).
        dir.Write("game/pak2.pak", writers::WritePak({{"progs/knight.mdl", writers::WriteMdl(TinyMdl(4))}}));
        dir.Write("game/pak10.pak", writers::WritePak({{"progs/knight.mdl", writers::WriteMdl(TinyMdl(5))}}));
        dir.Write("game/models/gun/gun.md2", md2);
        dir.Write("game/models/gun/gun.mdl", mdl);
        WriteTinyPlayer(dir, "game/models/players/tiny");
    }
    ProgramRun Export(const std::string& out, std::vector<std::string> options = {})
    {
        std::vector<std::string> arguments = {TARNIVEL_BINARY, "--export", dir.Path(out) + "/"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        arguments.push_back(dir.Path("game"));
        return RunWithoutDisplay(arguments, dir.path());
    }
    // Every file below the folder, by its path there, with its bytes.
    std::map<std::string, std::vector<uint8_t>> Tree(const std::string& out) const
    {
        std::map<std::string, std::vector<uint8_t>> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir.Path(out)))
            if (entry.is_regular_file() && entry.path().string().find("/gallery/three/") == std::string::npos)
                files[fs::relative(entry.path(), dir.Path(out)).string()] = ReadBytes(entry.path());
        return files;
    }
    TempDir dir;
};

std::vector<std::string> Names(const std::map<std::string, std::vector<uint8_t>>& tree)
{
    std::vector<std::string> names;
    for (const auto& file : tree)
        names.push_back(file.first);
    return names;
}

// A .glb whose header's length is its size: written whole.
bool WholeGlb(const std::vector<uint8_t>& bytes)
{
    return bytes.size() >= 12 && memcmp(bytes.data(), "glTF", 4) == 0 &&
           (bytes[8] | bytes[9] << 8 | bytes[10] << 16 | uint32_t(bytes[11]) << 24) == bytes.size();
}

}  // namespace

TEST_F(BatchExport, MirrorsTheGameTheSameForOneJobOrTwoAndGoesOnPastABrokenModel)
{
    ProgramRun one = Export("one", {"-j", "1"}), two = Export("two", {"-j", "2"});
    for (const ProgramRun& run : {one, two}) {
        EXPECT_EQ(run.status, 2) << run.errors;
        EXPECT_NE(run.errors.find(dir.Path("game/pak0.pak/progs/broken.mdl") + ": "), std::string::npos) << run.errors;
        EXPECT_NE(run.errors.find("7 models: 6 written, 0 up to date, 1 failed"), std::string::npos) << run.errors;
        EXPECT_EQ(Occurrences(run.errors, "/7] "), 7) << run.errors;  // a plain line a model, with no terminal
    }
    auto tree = Tree("one");
    EXPECT_EQ(Tree("two"), tree);
    const std::vector<std::string> expected = {
        "export-report.txt",           "gallery/models.tsv",           "gallery/models/gun/gun.md2.png",
        "gallery/models/gun/gun.mdl.png", "gallery/models/players/tiny.png", "gallery/models/tris.png",
        "gallery/progs/knight.png",    "gallery/progs/ogre.png",       "gallery/view.html",
        "index.html",                  "models/gun/gun.md2.glb",       "models/gun/gun.mdl.glb",
        "models/players/tiny.glb",     "models/tris.glb",              "progs/knight.glb",
        "progs/ogre.glb"};
    EXPECT_EQ(Names(tree), expected);
    std::string report(tree["export-report.txt"].begin(), tree["export-report.txt"].end());
    EXPECT_EQ(report.find("1 of 7 models not written\n" + dir.Path("game/pak0.pak/progs/broken.mdl") + ": "), 0u)
        << report;
    std::string list(tree["gallery/models.tsv"].begin(), tree["gallery/models.tsv"].end());
    // The loose ogre (two frames) stands before the pak's, pak10's knight (five) before the others; the
    // player is whole, with its sequences.
    EXPECT_NE(list.find("progs/ogre\tprogs/ogre.glb\tmdl\t2\t"), std::string::npos) << list;
    EXPECT_NE(list.find("progs/knight\tprogs/knight.glb\tmdl\t5\t"), std::string::npos) << list;
    EXPECT_NE(list.find("models/players/tiny\tmodels/players/tiny.glb\tplayer\t3\tBOTH_DEATH1"), std::string::npos)
        << list;
    for (const char* glb : {"progs/ogre.glb", "models/players/tiny.glb", "models/gun/gun.mdl.glb"})
        EXPECT_TRUE(WholeGlb(tree[glb])) << glb;
}

TEST_F(BatchExport, ASecondRunWritesOnlyWhatIsMissingOrOlderThanItsModel)
{
    ASSERT_EQ(Export("out").status, 2);
    std::string glb = dir.Path("out/progs/knight.glb"), tris = dir.Path("out/models/tris.glb");
    fs::remove(tris);
    auto before = fs::last_write_time(glb);
    const struct {
        std::vector<std::string> options;
        const char* tally;
    } runs[] = {
        {{}, "7 models: 1 written, 5 up to date, 1 failed"},  // the one removed, and the broken one tried again
        {{"--force"}, "7 models: 6 written, 0 up to date, 1 failed"},
    };
    for (const auto& run : runs) {
        ProgramRun result = Export("out", run.options);
        EXPECT_NE(result.errors.find(run.tally), std::string::npos) << result.errors;
        EXPECT_TRUE(FileExists(tris));
    }
    EXPECT_NE(fs::last_write_time(glb), before);
    // A model changed after its export is written again.
    fs::last_write_time(dir.Path("game/progs/ogre.mdl"), fs::file_time_type::clock::now() + std::chrono::hours(1));
    EXPECT_NE(Export("out").errors.find("1 written, 5 up to date"), std::string::npos);
    std::string index = ReadText(dir.Path("out/index.html"));
    EXPECT_EQ(Occurrences(index, "class=\"card\""), 6) << index;
}

TEST_F(BatchExport, AnInterruptStopsAfterTheModelsAtHandLeavingNoTemporaryFile)
{
    writers::ArchiveFiles many;
    for (int i = 0; i < 300; ++i)
        many.push_back({"progs/m" + std::to_string(i) + ".mdl", writers::WriteMdl(TinyMdl())});
    std::string pak = dir.Write("many/pak0.pak", writers::WritePak(many));
    pid_t pid = Spawn({TARNIVEL_BINARY, "--export", dir.Path("out/"), "-j", "2", pak}, dir.path(),
                      {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, -1, dir.Path("log"), dir.Path("log"));
    for (int wait = 0; wait < 3000 && ReadText(dir.Path("log")).find("[20/") == std::string::npos; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    std::string log = ReadText(dir.Path("log"));
    EXPECT_EQ(EndStatus(status), 130) << log;
    EXPECT_NE(log.find("left when interrupted"), std::string::npos) << log;
    int whole = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path("out"))) {
        EXPECT_NE(entry.path().filename().string().rfind(".tarnivel-", 0), 0u) << entry.path();
        whole += entry.path().extension() == ".glb" && WholeGlb(ReadBytes(entry.path()));
    }
    EXPECT_GE(whole, 20);
    EXPECT_LT(whole, 300);
    EXPECT_NE(log.find(std::to_string(whole) + " written"), std::string::npos) << log;
}

TEST_F(BatchExport, ATerminalSeesOneLineRedrawnAndTheSummary)
{
    std::string command = "script -qec '" + std::string(TARNIVEL_BINARY) + " --export " + dir.Path("out/") + " " +
                          dir.Path("game") + "' /dev/null";
    std::string shown = RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY " + command);
    EXPECT_NE(shown.find("\r[7/7] "), std::string::npos) << shown;
    EXPECT_NE(shown.find(" models/s, 0:00 left "), std::string::npos) << shown;
    EXPECT_EQ(Occurrences(shown, "] written "), 0) << shown;  // no plain lines
    EXPECT_NE(shown.find("\r\033[Ktarnivel: " + dir.Path("game/pak0.pak/progs/broken.mdl")), std::string::npos);
    EXPECT_NE(shown.find("tarnivel: 7 models: 6 written"), std::string::npos) << shown;
}

TEST_F(BatchExport, NothingToDoIsStatusOneAndABadCommandTwo)
{
    dir.Write("empty/readme.txt", {'h', 'i'});
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* report;
    } cases[] = {
        {{"--export", "out/", dir.Path("empty")}, 1, "no models in "},
        {{"--export", "out/", dir.Path("none.pak")}, 1, "neither a model, an archive"},
        {{"--export", "out/", dir.Path("game/pak0.pak/progs/broken.mdl")}, 1, "1 model: 0 written, 0 up to date, 1 failed"},
        {{"--export", "out/", "-j", "0", dir.Path("game")}, 2, "bad value for -j"},
        {{"--export", "out/", "--format", "fbx", dir.Path("game")}, 2, "--format is glb, gltf, obj, md3, iqm, md2 or mdl"},
        {{"--export", "out/"}, 2, "needs an archive, a folder or a model"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {TARNIVEL_BINARY};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        ProgramRun run = RunWithoutDisplay(arguments, dir.path());
        EXPECT_EQ(run.status, c.status) << c.report;
        EXPECT_NE(run.errors.find(c.report), std::string::npos) << run.errors;
    }
}

// A PNG skin goes into the .glb as its file, never decoded; a damaged one
// is left out, the model untextured, as the viewer would draw it.
TEST_F(BatchExport, APngSkinIsWrittenAsItsFileAndADamagedOneLeftOut)
{
    std::vector<uint8_t> pixels(8 * 8 * 3, 200);
    std::string png;
    ASSERT_TRUE(EncodePng(pixels.data(), 8, 8, 3, png));
    std::string flipped = png;
    flipped[png.size() - 20] ^= 0x55;  // inside IDAT: its checksum no longer holds
    const std::pair<std::string, std::string> skins[] = {{"good", png}, {"cut", png.substr(0, png.size() - 6)},
                                                        {"flipped", flipped}};
    for (const auto& skin : skins) {
        writers::Md2Model md2 = TinyMd2();
        md2.skins = {skin.first + ".png"};
        dir.Write("skins/" + skin.first + ".md2", writers::WriteMd2(md2));
        dir.Write("skins/" + skin.first + ".png", std::vector<uint8_t>(skin.second.begin(), skin.second.end()));
    }
    ProgramRun run = RunWithoutDisplay({TARNIVEL_BINARY, "--export", dir.Path("out/"), dir.Path("skins")}, dir.path());
    EXPECT_EQ(run.status, 0) << run.errors;
    for (const auto& skin : skins) {
        std::string glb = ReadText(dir.Path("out/" + skin.first + ".glb"));
        EXPECT_EQ(glb.find("\"images\"") != std::string::npos, skin.first == "good") << skin.first;
        EXPECT_EQ(glb.find(png) != std::string::npos, skin.first == "good") << skin.first;
    }
}

// A worker that dies is replaced and the run goes on: only its model fails,
// named with the signal, however many times a worker dies.
TEST_F(BatchExport, AWorkerThatDiesIsReplacedAndTheRunGoesOn)
{
    std::vector<uint8_t> md2 = writers::WriteMd2(TinyMd2());
    for (const char* name : {"a", "die1", "b", "c", "die2", "die3", "d", "e", "f", "g"})
        dir.Write(std::string("crashy/") + name + ".md2", md2);
    ProgramRun run = RunWithoutDisplay({TARNIVEL_BINARY, "--export", dir.Path("out") + "/", "-j", "2", "--no-gallery",
                                        dir.Path("crashy")},
                                       dir.path(), {{"TARNIVEL_TEST_ABORT_ON", "die"}});
    EXPECT_EQ(run.status, 2) << run.errors;
    EXPECT_NE(run.errors.find("10 models: 7 written, 0 up to date, 3 failed, in"), std::string::npos) << run.errors;
    EXPECT_EQ(run.errors.find("interrupted"), std::string::npos) << run.errors;
    std::string report = ReadText(dir.Path("out/export-report.txt"));
    EXPECT_EQ(Occurrences(report, "its export ended with Aborted"), 3) << report;
    for (const char* name : {"a", "b", "c", "d", "e", "f", "g"})
        EXPECT_TRUE(WholeGlb(ReadBytes(dir.Path(std::string("out/") + name + ".glb")))) << name;
    EXPECT_FALSE(FileExists(dir.Path("out/die1.glb")));
}

// Names are bytes in the files: a frame name of 16 bytes with no NUL, one
// of bytes past 127 that are no UTF-8, one of control characters, one
// empty. The model lists, exports and fills the gallery, all as text.
TEST_F(BatchExport, NamesThatAreNotTextComeOutAsText)
{
    writers::Md3Model model = FlatQuad("models/flag\xE4");
    model.frameNames = {"2flags_w_laser_0", "\xC9\xAC-\xC2\xA5 d\xC2\xC8\x92\xFF", "\x1b[31mred\x01", ""};
    model.surfaces[0].name = "fl\xE4g";
    model.surfaces[0].frames.resize(4, model.surfaces[0].frames[0]);
    model.tags.resize(4);
    dir.Write("names/flags.md3", writers::WriteMd3(model));
    ProgramRun run = RunWithoutDisplay({TARNIVEL_BINARY, "--export", dir.Path("out") + "/", dir.Path("names")}, dir.path());
    EXPECT_EQ(run.status, 0) << run.errors;
    std::string skip, verdict = ValidatorVerdict(dir.Path("out/flags.glb"), skip);
    if (skip.empty()) {
        EXPECT_NE(verdict.find(": 0 errors, 0 warnings"), std::string::npos) << verdict;
    }
    std::string list = dir.Path("list.txt");
    RunCommand(std::string(TARNIVEL_BINARY) + " --list " + dir.Path("names") + " > " + list);
    for (const std::string& text : {list, dir.Path("out/index.html"), dir.Path("out/gallery/models.tsv")}) {
        EXPECT_EQ(RunCommand("iconv -f UTF-8 -t UTF-8 " + text + " >/dev/null 2>&1 && echo valid"), "valid\n") << text;
    }
    std::string gallery = ReadText(dir.Path("out/gallery/models.tsv"));
    EXPECT_NE(gallery.find("2flags_w_laser\x1f\xC9\xAC-\xC2\xA5 d\xC3\x82\xC8\x92\xC3\xBF\x1f?[31mred?\x1f" "frame"),
              std::string::npos)
        << gallery;
}
