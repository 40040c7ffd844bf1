#include <gtest/gtest.h>

#include <cstdlib>

#include "models/palette.h"
#include "support/test_files.h"

TEST(Palettes, AFileIsReadWholeOrReportedShortOrMissing)
{
    TempDir dir;
    std::vector<uint8_t> bytes(800);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i);
    uint8_t palette[768] = {};
    EXPECT_EQ(ReadPaletteFile(dir.Write("full.lmp", bytes).c_str(), palette), PaletteResult::kOk);
    EXPECT_EQ(palette[767], 767 % 256);
    bytes.resize(700);
    EXPECT_EQ(ReadPaletteFile(dir.Write("short.lmp", bytes).c_str(), palette), PaletteResult::kShort);
    EXPECT_EQ(ReadPaletteFile(dir.Path("none.lmp").c_str(), palette), PaletteResult::kCannotOpen);
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
