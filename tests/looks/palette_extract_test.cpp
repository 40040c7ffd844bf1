#include <gtest/gtest.h>

#include <cstdlib>

#include "looks/palette_extract.h"
#include "looks/palettes.h"
#include "support/test_files.h"

namespace {

std::vector<uint8_t> Palette(uint8_t seed)
{
    std::vector<uint8_t> palette(768);
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = static_cast<uint8_t>(i * 3 + seed);
    return palette;
}

// A colormap.pcx whose 256-colour palette is the given one.
std::vector<uint8_t> Colormap(const std::vector<uint8_t>& palette)
{
    writers::PcxPicture pcx;
    pcx.indices.assign(64, 1);
    pcx.palette256 = palette.data();
    return writers::WritePcx(pcx);
}

}  // namespace

TEST(PalettesFromArchives, BothComeOutAndAreNeverOverwrittenSilently)
{
    TempDir dir;
    std::vector<uint8_t> pak = writers::WritePak({{"gfx/palette.lmp", Palette(1)}});
    std::vector<uint8_t> hostile = pak;
    writers::PutInt32(hostile, 8, 0x7FFFFFC0);  // a directory far past the end
    // In order, into one folder: the archive, --replace, the outcome, a line of the log.
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        bool replace, ok;
        const char* log;
    } runs[] = {
        {"pak0.pak", writers::WritePak({{"gfx/other.lmp", {1, 2, 3}}, {"gfx/palette.lmp", Palette(5)}}), false,
         true, "Wrote "},
        {"q2.pk3", writers::WriteZip({{"PICS/COLORMAP.PCX", Colormap(Palette(9))}}), false, true, "Wrote "},
        {"pak0.pak", {}, false, true, "is already this palette"},
        {"other.pak", writers::WritePak({{"gfx/palette.lmp", Palette(77)}}), false, false,
         "exists and holds another palette; not overwritten (--replace replaces it)"},
        {"other.pak", {}, true, true, "Replaced "},
        {"none.pak", writers::WritePak({{"maps/start.bsp", {1, 2, 3, 4}}}), false, false,
         "holds neither gfx/palette.lmp nor pics/colormap.pcx"},
        {"cut.pak", std::vector<uint8_t>(pak.begin(), pak.begin() + 11), false, false, "too short for a pak header"},
        {"cut2.pak", std::vector<uint8_t>(pak.begin(), pak.end() - 1), false, false, "lies outside the file"},
        {"hostile.pak", hostile, false, false, "its directory lies outside the file"},
    };
    std::string out = dir.Path("out");
    dir.Write("out/.keep", {});
    for (const auto& run : runs) {
        std::string path = run.bytes.empty() ? dir.Path(run.name) : dir.Write(run.name, run.bytes), log;
        EXPECT_EQ(ExtractPalettes(path.c_str(), out, run.replace, log), run.ok) << run.name;
        EXPECT_NE(log.find(run.log), std::string::npos) << run.name << ": " << log;
    }
    EXPECT_EQ(ReadBytes(out + "/palette.lmp"), Palette(77));
    EXPECT_EQ(ReadBytes(out + "/palette_MD2.lmp"), Palette(9));
}

TEST(Palettes, StartUpLooksInTheWorkingDirectoryThenTheUserFolder)
{
    // Each test runs in a process of its own: the environment is not put back.
    setenv("XDG_DATA_HOME", "relative/ignored", 1);
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(UserPaletteDirectory(), "/home/someone/.local/share/tarnivel");
    TempDir work, data;
    data.Write("tarnivel/palette.lmp", std::vector<uint8_t>(768, 11));
    data.Write("tarnivel/palette_MD2.lmp", std::vector<uint8_t>(768, 22));
    work.Write("palette_MD2.lmp", std::vector<uint8_t>(768, 33));  // the working directory comes first
    setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    EXPECT_EQ(UserPaletteDirectory(), data.path() + "/tarnivel");
    WorkingDirectory inside(work.path());
    EXPECT_TRUE(LoadMDLPalette());
    EXPECT_TRUE(LoadMD2Palette());
    EXPECT_EQ(mdlPalette[767], 11);
    EXPECT_EQ(md2Palette[0], 33);
}
