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

TEST(Palettes, TheUserFolderFollowsXdgDataHome)
{
    const char* saved = getenv("XDG_DATA_HOME");
    std::string keep = saved ? saved : "";
    std::string home = getenv("HOME") ? getenv("HOME") : "/root";
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(UserPaletteDirectory(), "/data/home/tarnivel");
    setenv("XDG_DATA_HOME", "relative/ignored", 1);
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(UserPaletteDirectory(), "/home/someone/.local/share/tarnivel");
    setenv("HOME", home.c_str(), 1);
    if (saved)
        setenv("XDG_DATA_HOME", keep.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

TEST(Palettes, StartUpFallsBackToTheUserFolder)
{
    TempDir work, data;
    std::vector<uint8_t> quake(768, 11), quake2(768, 22);
    data.Write("tarnivel/palette.lmp", quake);
    data.Write("tarnivel/palette_MD2.lmp", quake2);
    work.Write("palette_MD2.lmp", std::vector<uint8_t>(768, 33));  // the working directory comes first
    const char* saved = getenv("XDG_DATA_HOME");
    std::string keep = saved ? saved : "";
    setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    {
        WorkingDirectory inside(work.path());
        LoadMDLPalette();
        LoadMD2Palette();
    }
    EXPECT_EQ(mdlPalette[767], 11);
    EXPECT_EQ(md2Palette[0], 33);
    if (saved)
        setenv("XDG_DATA_HOME", keep.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}
