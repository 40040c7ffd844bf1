// Game archives: .pak and .pk3 written by the test helpers, read back through
// the archive layer, broken every way a file from the wild can be.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/archive.h"
#include "archive/game_files.h"
#include "looks/palettes.h"
#include "support/test_files.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

const writers::ArchiveFiles kFiles = {{"progs/Ogre.mdl", Bytes("ogre")}, {"gfx/palette.lmp", Bytes("pal")}};

// The zip's central directory record of its first member ("PK\1\2").
size_t CentralRecord(const std::vector<uint8_t>& zip)
{
    for (size_t at = zip.size() - 4; at-- > 0;)
        if (memcmp(&zip[at], "PK\1\2", 4) == 0)
            return at;
    return 0;
}

// A zip whose one member's name is changed in place, in both headers.
std::vector<uint8_t> RenamedZip(const std::string& to)
{
    const std::string from = "models/abc.md2";
    std::vector<uint8_t> zip = writers::WriteZip({{from, Bytes("data")}});
    for (size_t at = 0; at + from.size() <= zip.size(); ++at)
        if (memcmp(&zip[at], from.data(), from.size()) == 0)
            memcpy(&zip[at], to.data(), to.size());
    return zip;
}

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t at, int32_t value)
{
    writers::PutInt32(bytes, at, value);
    return bytes;
}

GameFileResult Read(const std::string& path, std::string* text = nullptr, std::string* error = nullptr)
{
    std::vector<uint8_t> bytes;
    std::string fault;
    GameFileResult result = ReadGameFile(path, bytes, error ? *error : fault);
    if (text)
        *text = std::string(bytes.begin(), bytes.end());
    return result;
}

}  // namespace

TEST(Archives, MembersAreReadByNameIgnoringCaseAndTheDirectoryFollowsTheFile)
{
    TempDir dir;
    for (const std::string& path : {dir.Write("pak0.pak", writers::WritePak(kFiles)),
                                     dir.Write("game.pk3", writers::WriteZip(kFiles))}) {
        std::string text;
        EXPECT_EQ(Read(path + "/PROGS/ogre.MDL", &text), GameFileResult::kOk);
        EXPECT_EQ(text, "ogre");
        EXPECT_EQ(Read(path + "/progs/missing.mdl"), GameFileResult::kMissing);
        EXPECT_EQ(FindGameFile(path + "/progs/OGRE.MDL"), path + "/progs/Ogre.mdl");
        std::string archive, member;
        ASSERT_TRUE(SplitArchivePath(path + "/gfx/palette.lmp", archive, member));
        EXPECT_EQ(archive + "|" + member, path + "|gfx/palette.lmp");
    }
    std::string archive, member;
    EXPECT_FALSE(SplitArchivePath(dir.Write("loose/x.mdl", Bytes("x")), archive, member));
    dir.Write("folder.pk3/x.mdl", Bytes("x"));  // a folder named like an archive is a folder
    EXPECT_FALSE(SplitArchivePath(dir.Path("folder.pk3/x.mdl"), archive, member));
    // A directory read once is read again when the file changes.
    std::string path = dir.Path("pak0.pak");
    dir.Write("pak0.pak", writers::WritePak({{"b.txt", Bytes("two")}}));
    std::string text;
    EXPECT_EQ(Read(path + "/progs/Ogre.mdl"), GameFileResult::kMissing);
    EXPECT_EQ(Read(path + "/b.txt", &text), GameFileResult::kOk);
    EXPECT_EQ(text, "two");
}

TEST(Archives, BrokenArchivesAreRefusedNamingTheFault)
{
    TempDir dir;
    std::vector<uint8_t> pak = writers::WritePak(kFiles), zip = writers::WriteZip(kFiles);
    auto named = [&](const std::string& name) {
        std::vector<uint8_t> bytes = pak;
        memset(&bytes[pak.size() - 128], 0, 56);
        memcpy(&bytes[pak.size() - 128], name.data(), std::min<size_t>(name.size(), 56));
        return bytes;
    };
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* fault;
    } cases[] = {
        {"short.pak", std::vector<uint8_t>(pak.begin(), pak.begin() + 8), "is too short for a pak header"},
        {"directory.pak", Patched(pak, 4, static_cast<int32_t>(pak.size())), "its directory lies outside the file"},
        {"huge.pak", Patched(pak, 8, 0x7FFFFFC0), "its directory lies outside the file"},
        {"offset.pak", Patched(pak, pak.size() - 8, 0x100000), "entry \"gfx/palette.lmp\" lies outside the file"},
        {"size.pak", Patched(pak, pak.size() - 4, 0x10000001), "entry \"gfx/palette.lmp\" lies outside the file"},
        {"unended.pak", named(std::string(56, 'a')), "has no NUL ending its name"},
        {"garbage.pk3", Bytes("not a zip at all, not at all"), "does not open as a zip"},
        {"cut.pk3", std::vector<uint8_t>(zip.begin(), zip.end() - 30), "does not open as a zip"},
        {"claims.pk3", Patched(zip, CentralRecord(zip) + 24, 0x20000000),
         "claims 536870912 bytes unpacked, more than 256 MiB"},
    };
    for (const auto& c : cases) {
        std::string path = dir.Write(c.name, c.bytes), error;
        EXPECT_EQ(Read(path + "/progs/Ogre.mdl", nullptr, &error), GameFileResult::kBadArchive) << c.name;
        EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.fault), std::string::npos) << c.name << ": " << error;
    }
    // Members of names no path can reach are left out; the rest is read.
    const std::pair<const char*, std::vector<uint8_t>> unsafe[] = {
        {"dots.pak", named("progs/../../etc/passwd")}, {"absolute.pak", named("/etc/passwd")},
        {"control.pak", named("progs/a\x01.mdl")},      {"dots.pk3", RenamedZip("models/../.md2")},
        {"absolute.pk3", RenamedZip("/odels/abc.md2")}};
    for (const auto& u : unsafe) {
        std::string path = dir.Write(u.first, u.second), error;
        std::shared_ptr<const Archive> archive = OpenArchive(path, error);
        ASSERT_NE(archive, nullptr) << u.first << ": " << error;
        for (const ArchiveEntry& entry : archive->entries)
            EXPECT_TRUE(CheckMemberName(entry.name, error)) << u.first << ": " << entry.name;
        EXPECT_EQ(archive->entries.size(), strstr(u.first, ".pak") ? 1u : 0u) << u.first;  // of 2, and of 1
    }
    // Members whose data lie past the end or fail their checksum are refused when read.
    std::vector<uint8_t> crc = zip;
    crc[CentralRecord(zip) + 16] ^= 0xFF;
    for (const auto& bytes : {Patched(zip, CentralRecord(zip) + 42, 0x7FFF0000), crc}) {
        std::string path = dir.Write("member.pk3", bytes), error;
        EXPECT_EQ(Read(path + "/gfx/palette.lmp", nullptr, &error), GameFileResult::kReadError);
        EXPECT_NE(error.find(path + ": member \"gfx/palette.lmp\" cannot be"), std::string::npos) << error;
    }
    // libzip turns a NUL inside a zip name into a space: the name can neither end early nor alias another.
    std::string path = dir.Write("nul.pk3", RenamedZip(std::string("models/a\0c.md2", 14)));
    EXPECT_EQ(Read(path + "/models/a"), GameFileResult::kMissing);
    EXPECT_EQ(Read(path + "/models/a c.md2"), GameFileResult::kOk);
}

TEST(GameSearchPath, GameFolderFirstLooseThenArchivesThenTheBaseGame)
{
    TempDir dir;
    // Each place holds its own copy of some names; the first place that has one wins.
    dir.Write("q2/baseq2/pak0.pak", writers::WritePak({{"a.pcx", Bytes("base pak0")}, {"b.pcx", Bytes("base pak0")},
                                                       {"c.pcx", Bytes("base pak0")}, {"d.pcx", Bytes("base pak0")}}));
    dir.Write("q2/baseq2/pak1.pak", writers::WritePak({{"c.pcx", Bytes("base pak1")}}));
    dir.Write("q2/mod/pak0.pak", writers::WritePak({{"b.pcx", Bytes("mod pak0")}}));
    dir.Write("q2/mod/pak2.pak", writers::WritePak({{"b.pcx", Bytes("mod pak2")}}));
    dir.Write("q2/mod/a.pk3", writers::WriteZip({{"e.pcx", Bytes("mod a.pk3")}}));
    dir.Write("q2/mod/z.pk3", writers::WriteZip({{"e.pcx", Bytes("mod z.pk3")}}));
    dir.Write("q2/mod/A.PCX", Bytes("mod loose"));
    std::vector<std::string> places = GameSearchPlaces(dir.Path("q2/mod/models/tank/tris.md2"), BaseGameFolders(QuakeGame::kQuake2));
    EXPECT_EQ(places, (std::vector<std::string>{dir.Path("q2/mod/"), dir.Path("q2/mod/pak2.pak"),
                                                dir.Path("q2/mod/pak0.pak"), dir.Path("q2/mod/z.pk3"),
                                                dir.Path("q2/mod/a.pk3"), dir.Path("q2/baseq2/"),
                                                dir.Path("q2/baseq2/pak1.pak"), dir.Path("q2/baseq2/pak0.pak")}));
    const std::pair<const char*, const char*> found[] = {
        {"a.pcx", "mod loose"}, {"b.pcx", "mod pak2"}, {"c.pcx", "base pak1"}, {"d.pcx", "base pak0"},
        {"e.pcx", "mod z.pk3"}};
    for (const auto& f : found) {
        std::string text;
        ASSERT_EQ(Read(FindInPlaces(places, f.first), &text), GameFileResult::kOk) << f.first;
        EXPECT_EQ(text, f.second);
    }
    EXPECT_EQ(FindInPlaces(places, "none.pcx"), "");
    // Inside an archive the game folder is the archive's; Quake's base is id1.
    dir.Write("q1/id1/pak0.pak", writers::WritePak({{"progs/x.mdl", Bytes("x")}}));
    dir.Write("q1/hipnotic/pak0.pak", writers::WritePak({{"progs/y.mdl", Bytes("y")}}));
    EXPECT_EQ(GameSearchPlaces(dir.Path("q1/hipnotic/pak0.pak/progs/y.mdl"), BaseGameFolders(QuakeGame::kQuake)),
              (std::vector<std::string>{dir.Path("q1/hipnotic/"), dir.Path("q1/hipnotic/pak0.pak"),
                                        dir.Path("q1/id1/"), dir.Path("q1/id1/pak0.pak")}));
    EXPECT_TRUE(GameSearchPlaces(dir.Path("loose/x.md2"), BaseGameFolders(QuakeGame::kQuake2)).empty());
}
