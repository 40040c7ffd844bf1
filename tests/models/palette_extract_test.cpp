#include <gtest/gtest.h>

#include "models/palette_extract.h"
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
    pcx.width = 4;
    pcx.height = 2;
    pcx.indices.assign(8, 1);
    pcx.palette256 = palette.data();
    return writers::WritePcx(pcx);
}

}  // namespace

TEST(PakPalettes, BothPalettesComeOutAndAreNeverOverwrittenSilently)
{
    TempDir dir;
    std::string quake = dir.Write("pak0.pak", writers::WritePak({{"gfx/other.lmp", {1, 2, 3}},
                                                                 {"gfx/palette.lmp", Palette(5)}}));
    std::string quake2 = dir.Write("q2.pak", writers::WritePak({{"PICS/COLORMAP.PCX", Colormap(Palette(9))}}));
    std::string out = dir.Path("out");
    dir.Write("out/.keep", {});
    std::string log;
    ASSERT_TRUE(ExtractPalettes(quake.c_str(), out, false, log)) << log;
    ASSERT_TRUE(ExtractPalettes(quake2.c_str(), out, false, log)) << log;
    EXPECT_EQ(ReadBytes(out + "/palette.lmp"), Palette(5));
    EXPECT_EQ(ReadBytes(out + "/palette_MD2.lmp"), Palette(9));
    EXPECT_NE(log.find("Wrote " + out + "/palette.lmp"), std::string::npos) << log;

    log.clear();
    EXPECT_TRUE(ExtractPalettes(quake.c_str(), out, false, log));
    EXPECT_NE(log.find("is already this palette"), std::string::npos) << log;
    std::string other = dir.Write("other.pak", writers::WritePak({{"gfx/palette.lmp", Palette(77)}}));
    log.clear();
    EXPECT_FALSE(ExtractPalettes(other.c_str(), out, false, log));
    EXPECT_NE(log.find("exists and holds another palette; not overwritten"), std::string::npos) << log;
    EXPECT_EQ(ReadBytes(out + "/palette.lmp"), Palette(5));
    log.clear();
    EXPECT_TRUE(ExtractPalettes(other.c_str(), out, true, log));
    EXPECT_NE(log.find("Replaced "), std::string::npos);
    EXPECT_EQ(ReadBytes(out + "/palette.lmp"), Palette(77));
}

TEST(PakPalettes, PaksWithoutPalettesOrCutShortAreRefused)
{
    TempDir dir;
    std::string log;
    std::string none = dir.Write("none.pak", writers::WritePak({{"maps/start.bsp", {1, 2, 3, 4}}}));
    EXPECT_FALSE(ExtractPalettes(none.c_str(), dir.path(), false, log));
    EXPECT_NE(log.find("holds neither gfx/palette.lmp nor pics/colormap.pcx"), std::string::npos);

    std::vector<uint8_t> bytes = writers::WritePak({{"gfx/palette.lmp", Palette(1)}});
    for (size_t size : {size_t(0), size_t(11), size_t(100), bytes.size() - 1}) {
        log.clear();
        std::string cut = dir.Write("cut.pak", std::vector<uint8_t>(bytes.begin(), bytes.begin() + size));
        EXPECT_FALSE(ExtractPalettes(cut.c_str(), dir.path(), false, log)) << size;
        EXPECT_NE(log.find(cut + ": "), std::string::npos) << log;
    }
    std::vector<uint8_t> hostile = bytes;
    writers::PutInt32(hostile, 8, 0x7FFFFFC0);  // a directory far past the end
    std::string path = dir.Write("hostile.pak", hostile);
    log.clear();
    EXPECT_FALSE(ExtractPalettes(path.c_str(), dir.path(), false, log));
    EXPECT_NE(log.find("its directory lies outside the file"), std::string::npos) << log;
    EXPECT_FALSE(FileExists(dir.Path("palette.lmp")));
}
