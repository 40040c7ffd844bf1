// Every model of the real-file corpus through the viewer's own loading,
// skin, drawing and removal code: the MD2 models of Debian's ufoai-data read
// straight out of their archive, with their skins from the same archive, and
// the Quake models of Debian's ktx, OpenArena's MD3 models and players, and
// Red Eclipse's IQM and MD5 models in place.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "archive/game_files.h"
#include "geometry/pose.h"
#include "batch/model_listing.h"
#include "export/player_export.h"
#include "formats/md3.h"
#include "looks/skins.h"
#include "model/load.h"
#include "render/animation.h"
#include "render/draw.h"
#include "render/textures.h"
#include "rig/assembly.h"
#include "scene/model_list.h"
#include "scene/q3_player.h"
#include "scene/skins.h"
#include "state/viewer_state.h"
#include "support/corpus_files.h"
#include "support/gl_context.h"
#include "support/round_trip.h"
#include "support/test_files.h"

namespace {

struct Tally {
    int loaded = 0, refused = 0, textured = 0, dropped = 0, withCommands = 0, withGroups = 0, flat = 0;
    int listed = 0, exported = 0;  // as --list and --export take them
    int compared = 0, same = 0;    // exports read back, and as their source
    int fromShaders = 0, fromImages = 0, untextured = 0;  // surfaces, in the first skin set
};

// A format a round trip writes, and how near the copy must come to its source.
struct RoundTrip {
    const char* extension;  // "glb", "md3", "iqm", "md2", "mdl"
    float tolerance;        // 0: 1e-5 of the source's size
    int steps;              // MD2 and MDL: within half a step of 1/255 of the size
};
const RoundTrip kGltf = {"glb", 0, 0}, kMd3 = {"md3", 1.0f / 128 + 1e-4f, 0}, kIqm = {"iqm", 0.02f, 0},
                kMd2 = {"md2", 0, 255}, kMdl = {"mdl", 0, 255};

// The shader names a written MD3 gives its surfaces.
std::vector<std::string> Md3Shaders(const std::string& path)
{
    Reports reports;
    std::unique_ptr<Md3File> file = ReadMd3(ReadBytes(path), reports);
    std::vector<std::string> shaders;
    for (size_t s = 0; file && s < file->surfaces.size(); ++s)
        shaders.insert(shaders.end(), file->surfaces[s].shaders.begin(), file->surfaces[s].shaders.end());
    return shaders;
}

std::string RoundTripFolder()
{
    // A folder of this process's own: another run may be at work beside it.
    std::string folder = std::string(testing::TempDir()) + "corpus-round-trip-" + std::to_string(getpid()) + "/";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// Under the sanitizers, which run ten times slower, every tenth model is
// read back (TARNIVEL_READ_BACK_EVERY); the normal build reads back all.
bool ReadBackThisOne()
{
    static const int every = std::max(1, atoi(getenv("TARNIVEL_READ_BACK_EVERY") ?: "1"));
    static int count = 0;
    return count++ % every == 0;
}

// Writes the model (or player) as --export does and reads it back: true
// when the copy is the source. A sampled one (already one of every tenth) is
// always read back.
bool ExportAndReadBack(const std::string& path, const RoundTrip& trip, Tally& tally, bool sampled = false)
{
    Assembly read, back;
    ExportRequest request;
    std::string folder = RoundTripFolder(), error;
    request.output = folder + "model." + trip.extension;
    SkinFilesOnly files;
    bool exported = LoadAssembly("corpus", path, "", read) && ExportAssembly(read, request, error);
    tally.exported += exported;
    if (exported && !sampled && !ReadBackThisOne()) {
        std::filesystem::remove_all(folder);
        return true;
    }
    ++tally.compared;
    std::string difference = "not exported: " + error;
    if (exported)
        difference = LoadAssembly("corpus", request.output, "", back)
                         ? Difference(read, back, Nearness{trip.tolerance, trip.steps, trip.steps > 0})
                         : "not read back";
    if (difference.empty() && strcmp(trip.extension, "md3") == 0)
        difference = ShaderDifference(read, Md3Shaders(request.output));
    std::filesystem::remove_all(folder);
    if (!difference.empty())
        fprintf(stderr, "corpus: %s read back from .%s differs: %s\n", path.c_str(), trip.extension,
                difference.c_str());
    tally.same += difference.empty();
    return difference.empty();
}

// A player to glTF, that glTF to a player folder, and the folder read back
// playing every sequence of the source alike.
bool PlayerThroughGltf(const std::string& player, Tally& tally)
{
    Assembly read, viaGltf, back;
    ExportRequest request;
    std::string folder = RoundTripFolder(), error;
    request.output = folder + "player.glb";
    bool written = LoadAssembly("corpus", player, "", read) && ExportAssembly(read, request, error) &&
                   LoadAssembly("corpus", request.output, "", viaGltf);
    request.output = folder + "player.md3";
    written = written && ExportAssembly(viaGltf, request, error);
    tally.exported += written;
    ++tally.compared;
    std::string difference = !written ? "not written: " + error
                             : LoadAssembly("corpus", folder + "player/", "", back)
                                 ? SequenceDifference(read, back, kMd3.tolerance)
                                 : "not read back";
    std::filesystem::remove_all(folder);
    if (!difference.empty())
        fprintf(stderr, "corpus: %s through glTF to a player folder differs: %s\n", player.c_str(),
                difference.c_str());
    tally.same += difference.empty();
    return difference.empty();
}

// Every export the same as its source when read back.
void ExpectReadBack(const Tally& tally, const char* what, const char* format = "glTF")
{
    printf("corpus: %d of %d exports of %s read back from %s as their source\n", tally.same, tally.compared, what,
           format);
    EXPECT_EQ(tally.same, tally.compared);
}

// A Quake model by its first bytes (Nexuiz names MD3 models .mdl too).
bool IsQuakeMdl(const std::string& path)
{
    std::vector<uint8_t> bytes;
    std::string error;
    return ReadGameFile(path, bytes, error) == GameFileResult::kOk && bytes.size() > 4 &&
           memcmp(bytes.data(), "IDPO", 4) == 0;
}

// Lists the model and round-trips it through glTF, as --list and --export take them.
void ListAndExport(const std::string& path, Tally& tally)
{
    ErrorCapture quiet;
    std::vector<uint8_t> bytes;
    std::string error, line;
    tally.listed += ReadGameFile(path, bytes, error) == GameFileResult::kOk && ListingLine(path, bytes, line);
    ExportAndReadBack(path, kGltf, tally);
}

// Loads, skins, redraws every way and removes one model; then lists and exports it.
void Exercise(const std::string& path, const std::string& extraSkin, Tally& tally)
{
    ErrorCapture errors;
    testing::internal::CaptureStdout();
    ModelObject* model = AddModel(path.c_str());
    std::string reports = errors.Text();
    if (!model) {
        ++tally.refused;
        fprintf(stderr, "corpus: refused %s: %s", path.c_str(), reports.substr(0, reports.find('\n') + 1).c_str());
    } else {
        ++tally.loaded;
        tally.textured += model->hasSkins;  // a skin found
        tally.dropped += reports.find("GL commands dropped") != std::string::npos;
        tally.flat += model->computedNormals != nullptr;  // lit by normals from its triangles
        tally.withCommands += !model->drawn->parts.empty() && model->drawn->parts[0].commands;
        tally.withGroups += !model->drawn->frameGroups.empty();
        for (size_t part = 0; model->numSkins > 0 && part < model->drawn->parts.size(); ++part) {
            const SkinInfo& skin = model->skins[0];
            bool shader = part < skin.partShaders.size() && skin.partShaders[part] >= 0;
            bool image = part < skin.partPictures.size() && skin.partPictures[part] >= 0;
            tally.fromShaders += shader, tally.fromImages += !shader && image, tally.untextured += !shader && !image;
        }
        AddSkin(extraSkin.c_str());
        RemoveSkin();
        viewer.interpolationMethod = 2;
        viewer.remeshing = true;
        model->nextFrame = model->numFrames - 1;
        UpdateAllDisplayLists();
        viewer.interpolationMethod = 0;
        viewer.remeshing = false;
        RemoveModel();
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(viewer.modelList, nullptr);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << path;
    ListAndExport(path, tally);
}

}  // namespace

TEST_F(ViewerTest, EveryUfoaiModelLoadsFromItsArchiveDrawsAndIsReleased)
{
    std::string folder = CorpusFolder(TARNIVEL_CORPUS_DEFAULT);
    std::vector<std::string> models = CorpusModels(folder);
    if (models.empty())
        GTEST_SKIP() << "no " << CorpusArchive(folder) << " (ufoai-data could not be downloaded here)";
    std::string skin = dir.Write("extra.pcx", TestPcx(1024, 1024));
    Tally tally, md2;
    for (const std::string& path : models) {
        Exercise(path, skin, tally);
        if (ReadBackThisOne())  // under the sanitizers, every tenth written at all
            ExportAndReadBack(path, kMd2, md2, true);
    }
    printf("corpus: %zu MD2 models in 0models.pk3: %d loaded, %d refused; %d with a skin; %d drawn from GL "
           "commands, %d had theirs dropped; %d lit by normals from their triangles; %d listed, %d exported\n",
           models.size(), tally.loaded, tally.refused, tally.textured, tally.withCommands, tally.dropped, tally.flat,
           tally.listed, tally.exported);
    EXPECT_GT(tally.loaded, static_cast<int>(models.size()) * 9 / 10);
    EXPECT_EQ(tally.exported, tally.loaded);
    ExpectReadBack(tally, "ufoai's models");
    EXPECT_EQ(md2.exported, md2.compared);
    ExpectReadBack(md2, "ufoai's models", "MD2");
}

TEST_F(ViewerTest, EveryQuakeModelOfKtxLoadsDrawsAndIsReleased)
{
    std::vector<std::string> models = CorpusQuakeModels(CorpusFolder(TARNIVEL_CORPUS_DEFAULT));
    if (models.empty())
        GTEST_SKIP() << "no ktx models (the package could not be downloaded here)";
    std::string skin = dir.Write("extra.pcx", TestPcx(1024, 1024));
    Tally tally, mdl;
    for (const std::string& path : models) {
        Exercise(path, skin, tally);
        ExportAndReadBack(path, kMdl, mdl);
    }
    printf("corpus: %zu MDL models of ktx: %d loaded, %d refused; %d with a skin; %d with frame groups\n",
           models.size(), tally.loaded, tally.refused, tally.textured, tally.withGroups);
    EXPECT_EQ(tally.loaded, static_cast<int>(models.size()));
    EXPECT_EQ(tally.exported, tally.loaded);
    ExpectReadBack(tally, "ktx's models");
    ExpectReadBack(mdl, "ktx's models", "MDL");
    EXPECT_GE(tally.withGroups, 1);
}

TEST_F(ViewerTest, EveryOpenArenaModelLoadsFromItsArchiveAndEveryPlayerIsAssembled)
{
    std::string folder = CorpusFolder(TARNIVEL_CORPUS_DEFAULT);
    std::vector<std::string> models = CorpusMd3Models(folder);
    if (models.empty())
        GTEST_SKIP() << "no OpenArena archives (openarena-data could not be downloaded here)";
    std::string skin = dir.Write("extra.pcx", TestPcx(64, 64));
    Tally tally, whole, md3, folders;
    int players = 0, playerFolders = 0, armed = 0;
    for (const std::string& path : models) {
        Exercise(path, skin, tally);
        ExportAndReadBack(path, kMd3, md3);
        std::string player = path.substr(0, path.rfind('/') + 1);
        if (path.compare(player.size(), std::string::npos, "lower.md3") != 0 || !IsQ3PlayerFolder(player))
            continue;
        ++playerFolders;
        ExportAndReadBack(player, kGltf, whole);
        PlayerThroughGltf(player, folders);
        testing::internal::CaptureStdout();
        if (ModelObject* legs = OpenModel(player)) {
            players += PlayerTorso(legs) != nullptr;
            armed += GiveQ3Weapon(legs, "machinegun") && PlayerWeapon(legs) != nullptr;
            RemovePlayerOf(legs);
        }
        testing::internal::GetCapturedStdout();
    }
    printf("corpus: %zu MD3 models of OpenArena: %d loaded, %d refused; %d with their skins found; "
           "%d of %d players assembled, %d with a machine gun in hand\n",
           models.size(), tally.loaded, tally.refused, tally.textured, players, playerFolders, armed);
    printf("corpus: their %d surfaces: %d drawn from a shader, %d from an image, %d untextured\n",
           tally.fromShaders + tally.fromImages + tally.untextured, tally.fromShaders, tally.fromImages,
           tally.untextured);
    EXPECT_EQ(tally.loaded, static_cast<int>(models.size()));
    EXPECT_EQ(tally.exported, tally.loaded);
    ExpectReadBack(tally, "OpenArena's models");
    ExpectReadBack(whole, "OpenArena's players whole");
    ExpectReadBack(md3, "OpenArena's models", "MD3");
    ExpectReadBack(folders, "OpenArena's players through glTF", "player folders");
    EXPECT_GE(tally.fromShaders + tally.fromImages, 4 * (tally.fromShaders + tally.fromImages + tally.untextured) / 5);
    EXPECT_EQ(players, playerFolders);
    EXPECT_EQ(armed, playerFolders);
    EXPECT_GE(players, 2);
}

TEST_F(ViewerTest, EveryRedEclipseMeshLoadsWithItsAnimationsAndDraws)
{
    std::vector<std::string> files = CorpusSkeletalModels(CorpusFolder(TARNIVEL_CORPUS_DEFAULT));
    if (files.empty())
        GTEST_SKIP() << "no Red Eclipse models (redeclipse-data could not be downloaded here)";
    std::string skin = dir.Write("extra.pcx", TestPcx(64, 64));
    Tally tally, iqm;
    int meshes = 0, animated = 0, animations = 0, joints = 0, onlyAnimations = 0, unmatched = 0;
    for (const std::string& path : files) {
        testing::internal::CaptureStdout();
        ErrorCapture quiet;
        std::unique_ptr<ModelObject> read = LoadModelFile("corpus", path.c_str());
        testing::internal::GetCapturedStdout();
        unmatched += quiet.Count("does not match the joints");
        if (read && read->drawn->parts.empty()) {
            ++onlyAnimations;  // a file of animations for other meshes
            continue;
        }
        ++meshes;
        if (read && read->drawn->skeleton) {
            animated += !read->drawn->skeleton->animations.empty();
            animations += static_cast<int>(read->drawn->skeleton->animations.size());
            joints += static_cast<int>(read->drawn->skeleton->joints.size());
        }
        Exercise(path, skin, tally);
        ExportAndReadBack(path, kIqm, iqm);
    }
    // The others are props and vanities that no file animates.
    printf("corpus: %d of %d IQM and MD5 meshes of Red Eclipse load and draw, %d with their animations (%d "
           "animations, %d joints in all), %d animations their configurations name left out; %d files of "
           "animations only\n",
           tally.loaded, meshes, animated, animations, joints, unmatched, onlyAnimations);
    EXPECT_EQ(tally.loaded, meshes);
    EXPECT_EQ(tally.exported, meshes);
    ExpectReadBack(tally, "Red Eclipse's meshes");
    ExpectReadBack(iqm, "Red Eclipse's meshes", "IQM");
    EXPECT_EQ(unmatched, 0);
    // The player stands facing +x, as Quake models do, so the front view
    // shows its face: standing idle it is wider (y) than deep (x).
    std::string player = CorpusFolder(TARNIVEL_CORPUS_DEFAULT) + "/redeclipse/data/actors/player/male/RE_Player_male.iqm";
    ErrorCapture quiet;
    std::unique_ptr<ModelObject> male = LoadModelFile("corpus", player.c_str());
    ASSERT_NE(male, nullptr);
    int idle = 0;
    while (idle < male->numFrames && std::string(male->frameNames[idle].text) != "idle1")
        ++idle;
    std::vector<float> positions, normals;
    PoseFrame(male->drawn->parts[0], idle, true, positions, normals);
    float low[2] = {1e9f, 1e9f}, high[2] = {-1e9f, -1e9f};
    for (size_t v = 0; v < positions.size(); v += 3)
        for (int a = 0; a < 2; ++a)
            low[a] = std::min(low[a], positions[v + a]), high[a] = std::max(high[a], positions[v + a]);
    EXPECT_GT(high[1] - low[1], high[0] - low[0]);
    EXPECT_GT(animated, 0);
}

// DarkPlaces' game: its models of the formats read, some MD3 named .mdl,
// some with frame names that are not text.
TEST_F(ViewerTest, EveryNexuizModelLoadsDrawsListsAndExports)
{
    std::vector<std::string> models = CorpusNexuizModels(CorpusFolder(TARNIVEL_CORPUS_DEFAULT));
    if (models.empty())
        GTEST_SKIP() << "no Nexuiz archive (nexuiz-data could not be downloaded here)";
    std::string skin = dir.Write("extra.pcx", TestPcx(64, 64));
    Tally tally, mdl;
    for (const std::string& path : models) {
        Exercise(path, skin, tally);
        if (path.size() > 4 && path.compare(path.size() - 4, 4, ".mdl") == 0 && IsQuakeMdl(path))
            ExportAndReadBack(path, kMdl, mdl);
    }
    printf("corpus: %zu models of Nexuiz's data.pk3: %d loaded, %d refused; %d with a skin; %d listed, %d exported\n",
           models.size(), tally.loaded, tally.refused, tally.textured, tally.listed, tally.exported);
    EXPECT_EQ(tally.loaded, static_cast<int>(models.size()));
    EXPECT_EQ(tally.listed, tally.loaded);
    EXPECT_EQ(tally.exported, tally.loaded);
    ExpectReadBack(tally, "Nexuiz's models");
    EXPECT_GE(mdl.exported, 10);
    ExpectReadBack(mdl, "Nexuiz's Quake models", "MDL");
}
