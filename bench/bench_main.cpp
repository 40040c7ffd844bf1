// Speed and memory of parsing, display-list rebuilds and PNG writing.
// Run under a display (xvfb-run) with the ufoai-data corpus fetched
// (tests/corpus/fetch-corpus.sh); the corpus benchmarks say so without it.
#include <GL/freeglut.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/game_files.h"
#include "batch/model_listing.h"
#include "capture/screenshot.h"
#include "export/player_export.h"
#include "formats/md2.h"
#include "formats/md3.h"
#include "lighting/lights.h"
#include "model/load.h"
#include "model/model.h"
#include "platform/file_bytes.h"
#include "render/animation.h"
#include "render/draw.h"
#include "render/remesh.h"
#include "rig/assembly.h"
#include "scene/browse.h"
#include "scene/model_list.h"
#include "scene/q3_player.h"
#include "view/framing.h"
#include "state/viewer_state.h"
#include "model_writers.h"
#include "studio_writer.h"
#include "support/corpus_files.h"
#include "view/projection.h"
#include "viewer/display.h"

namespace {

// The soldier's body: 1007 frames of 868 vertices, 1724 triangles.
std::string BenchModel()
{
    for (const std::string& path : CorpusModels(CorpusFolder(TARNIVEL_CORPUS_DEFAULT)))
        if (path.size() >= 22 && path.compare(path.size() - 22, 22, "soldiers/male/body.md2") == 0)
            return path;
    return std::string();
}

// Reports of odd files are not the point here: they go nowhere while it lives.
class QuietReports {
public:
    QuietReports() : saved_(dup(STDOUT_FILENO))
    {
        fflush(stdout);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~QuietReports()
    {
        fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }

private:
    int saved_;
};

void OpenWindow()
{
    static bool open = false;
    if (open)
        return;
    int argc = 1;
    char name[] = "tarnivel_bench";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(640, 480);
    glutCreateWindow("Tarnivel bench");
    InitDefaults();
    InitLighting();
    open = true;
}

std::vector<std::vector<uint8_t>> CorpusBytes()
{
    std::vector<std::vector<uint8_t>> all;
    std::string error;
    for (const std::string& path : CorpusModels(CorpusFolder(TARNIVEL_CORPUS_DEFAULT))) {
        std::vector<uint8_t> bytes;
        if (ReadGameFile(path, bytes, error) == GameFileResult::kOk)
            all.push_back(std::move(bytes));
    }
    return all;
}

// Every corpus model read (inflated) out of 0models.pk3.
void BM_ReadCorpusFromArchive(benchmark::State& state)
{
    std::vector<std::string> models = CorpusModels(CorpusFolder(TARNIVEL_CORPUS_DEFAULT));
    if (models.empty())
        return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    int64_t bytes = 0;
    std::string error;
    for (auto _ : state) {
        for (const std::string& path : models) {
            std::vector<uint8_t> data;
            ReadGameFile(path, data, error);
            bytes += static_cast<int64_t>(data.size());
        }
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ReadCorpusFromArchive)->Unit(benchmark::kMillisecond);

// tarnivel --list over the whole archive.
void BM_ListArchive(benchmark::State& state)
{
    std::string archive = CorpusArchive(CorpusFolder(TARNIVEL_CORPUS_DEFAULT));
    FILE* out = fopen("/dev/null", "w");
    QuietReports quiet;
    for (auto _ : state) {
        ClearArchiveCache();
        if (ListModels(archive, out) != 0)
            return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    }
    fclose(out);
}
BENCHMARK(BM_ListArchive)->Unit(benchmark::kMillisecond);

void BM_ParseCorpus(benchmark::State& state)
{
    std::vector<std::vector<uint8_t>> corpus = CorpusBytes();
    if (corpus.empty())
        return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    QuietReports quiet;
    int64_t bytes = 0;
    for (auto _ : state) {
        for (const std::vector<uint8_t>& file : corpus) {
            Reports reports;
            std::unique_ptr<Md2File> record = OpenMd2Bytes(file, reports);
            std::vector<Md2SkinName> skins;
            std::unique_ptr<FrameName[]> names;
            benchmark::DoNotOptimize(record && ReadMd2Sections(*record, skins, names, reports));
            bytes += static_cast<int64_t>(file.size());
        }
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ParseCorpus)->Unit(benchmark::kMillisecond);

// OpenArena's 219 MD3 models: their bytes read out of the pk3s, and read
// and parsed (goal: parsing within twice the reading).
void BM_Md3Corpus(benchmark::State& state)
{
    std::vector<std::string> models = CorpusMd3Models(CorpusFolder(TARNIVEL_CORPUS_DEFAULT));
    if (models.empty())
        return state.SkipWithError("no OpenArena corpus: run tests/corpus/fetch-corpus.sh");
    QuietReports quiet;
    int64_t bytes = 0;
    std::string error;
    for (auto _ : state) {
        for (const std::string& path : models) {
            std::vector<uint8_t> data;
            ReadGameFile(path, data, error);
            bytes += static_cast<int64_t>(data.size());
            Reports reports;
            if (state.range(0) == 1)
                benchmark::DoNotOptimize(ReadMd3(data, reports));
        }
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_Md3Corpus)->Arg(0)->Arg(1)->ArgName("parse")->Unit(benchmark::kMillisecond);

ModelObject* LoadLargest(benchmark::State& state)
{
    OpenWindow();
    static ModelObject* model = nullptr;
    if (!model) {
        std::string path = BenchModel();
        if (path.empty())
            return nullptr;
        QuietReports quiet;
        model = AddModel(path.c_str());
    }
    if (model) {
        const Md2File& file = *static_cast<const Md2File*>(model->fileData.get());  // the body is an MD2
        size_t held = file.frames.size() + file.triangles.size() * sizeof(Md2Triangle) +
                      file.texCoords.size() * sizeof(Md2TexCoord) + file.glCommands.size() * 4 +
                      model->numFrames * sizeof(FrameName);
        for (const DrawnPart& part : model->drawn->parts) {  // the drawn form's own
            held += part.corners.size() * 4 + part.frames.transforms.size() * sizeof(FrameTransform) +
                    part.frames.lacksNormals.size();
            for (const FrameLayout* layout : {part.triangles.get(), part.commands.get()})
                if (layout)
                    held += (layout->frameVertex.size() + layout->texCoords.size() + layout->indices.size()) * 4;
        }
        state.counters["vertices"] = file.header.numXyz;
        state.counters["triangles"] = static_cast<double>(file.triangles.size());
        state.counters["held_per_file_byte"] = static_cast<double>(held) / file.header.ofsEnd;
        model->prevPrevFrame = 0, model->prevFrame = 1, model->currentFrame = 2, model->nextFrame = 3;
    }
    return model;
}

// One rebuild of the largest body's list, by interpolation method.
void BM_Rebuild(benchmark::State& state)
{
    ModelObject* model = LoadLargest(state);
    if (!model)
        return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    viewer.interpolationMethod = static_cast<uint8_t>(state.range(0));
    viewer.remeshing = false;
    viewer.useGlCommands = false;
    for (auto _ : state)
        UpdateModelDisplayList(model, 0.5f);
    glFinish();
}
BENCHMARK(BM_Rebuild)->Arg(0)->Arg(1)->Arg(2)->ArgName("interpolation")->Unit(benchmark::kMicrosecond);

// What the running clock costs the body per displayed frame: the tick
// (a step, or a rebuild between steps while interpolating) and the draw.
void BM_ClockFrame(benchmark::State& state)
{
    ModelObject* model = LoadLargest(state);
    if (!model)
        return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    viewer.interpolationMethod = static_cast<uint8_t>(state.range(0));
    viewer.remeshing = false;
    viewer.useGlCommands = false;
    viewer.animating = true;
    int32_t now = model->lastAdvanceTime;
    for (auto _ : state) {
        now += 16;
        AnimateModel(model, now);
        DrawModelGeometry(model);
        glFinish();
    }
    viewer.animating = false;
}
BENCHMARK(BM_ClockFrame)->Arg(0)->Arg(1)->Arg(2)->ArgName("interpolation")->Unit(benchmark::kMicrosecond);

// The whole display path of the running viewer (the idle tick, then the
// frame drawn and swapped) with ten bodies animating, as a rate and as a
// ratio to interpolation none.
void BM_TenBodies(benchmark::State& state)
{
    OpenWindow();
    std::string path = BenchModel();
    if (path.empty())
        return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    QuietReports quiet;
    for (int i = 0; i < 10; ++i)
        AddModel(path.c_str());
    viewer.interpolationMethod = static_cast<uint8_t>(state.range(0));
    viewer.remeshing = false;
    viewer.useGlCommands = true;
    viewer.showOverlay = true;  // the status lines, whose FPS figure a user reads
    viewer.showHelp = false;
    viewer.animating = true;
    SetProjection();
    double idleTime = 0, displayTime = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        Idle();
        auto t1 = std::chrono::steady_clock::now();
        Display();
        glFinish();
        auto t2 = std::chrono::steady_clock::now();
        idleTime += std::chrono::duration<double, std::micro>(t1 - t0).count();
        displayTime += std::chrono::duration<double, std::micro>(t2 - t1).count();
    }
    state.counters["idle_us"] = idleTime / state.iterations();
    state.counters["display_us"] = displayTime / state.iterations();
    glFinish();
    viewer.animating = false;
    for (int i = 0; i < 10; ++i)
        RemoveModel();
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TenBodies)->Arg(0)->Arg(1)->Arg(2)->ArgName("interpolation")->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)->UseRealTime();

// Red Eclipse's male player: 3110 vertices on 78 joints, 67 animations.
std::string SkeletalBenchModel()
{
    for (const std::string& path : CorpusSkeletalModels(CorpusFolder(TARNIVEL_CORPUS_DEFAULT)))
        if (path.size() >= 18 && path.compare(path.size() - 18, 18, "RE_Player_male.iqm") == 0)
            return path;
    return std::string();
}

// Ten animating, linearly interpolated models through the whole display
// path, as vertices drawn a second: the ufoai body (vertex-animated) and
// the Red Eclipse player (skinned from blended joints) side by side.
// Ten models of the file animating through the whole display path with
// the interpolation method, as many frames as the state asks; the first's
// vertices.
int64_t AnimateTen(benchmark::State& state, const std::string& path, uint8_t method)
{
    OpenWindow();
    QuietReports quiet;
    for (int i = 0; i < 10; ++i)
        AddModel(path.c_str());
    int64_t vertices = VertexCount(*viewer.modelList->drawn);
    viewer.interpolationMethod = method;
    viewer.remeshing = false;
    viewer.useGlCommands = true;
    viewer.showOverlay = true;
    viewer.showHelp = false;
    viewer.animating = true;
    SetProjection();
    for (auto _ : state) {
        Idle();
        Display();
        glFinish();
    }
    viewer.animating = false;
    for (int i = 0; i < 10; ++i)
        RemoveModel();
    return vertices;
}

void BM_TenAnimated(benchmark::State& state)
{
    std::string path = state.range(0) ? SkeletalBenchModel() : BenchModel();
    if (path.empty())
        return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    int64_t vertices = AnimateTen(state, path, 1);
    state.counters["vertices"] = static_cast<double>(vertices);
    state.counters["vertices_per_second"] = benchmark::Counter(
        static_cast<double>(state.iterations() * 10 * vertices), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TenAnimated)->Arg(0)->Arg(1)->ArgName("skeletal")->Unit(benchmark::kMillisecond)->MinTime(3.0)
    ->UseRealTime();

// Decoding the body into arrays, by interpolation method: the tick's share.
void BM_DecodeArrays(benchmark::State& state)
{
    ModelObject* model = LoadLargest(state);
    if (!model)
        return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    viewer.interpolationMethod = static_cast<uint8_t>(state.range(0));
    viewer.remeshing = false;
    viewer.useGlCommands = true;
    float fraction = 0.0f;
    for (auto _ : state) {
        fraction = fraction > 0.9f ? 0.0f : fraction + 0.01f;
        UpdateModelFrameArrays(model, fraction);
    }
    UpdateModelDisplayList(model, 0.0f);
}
BENCHMARK(BM_DecodeArrays)->Arg(0)->Arg(1)->Arg(2)->ArgName("interpolation")->Unit(benchmark::kMicrosecond);

void BM_RebuildRemeshed(benchmark::State& state)
{
    ModelObject* model = LoadLargest(state);
    if (!model)
        return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    viewer.interpolationMethod = 0;
    viewer.remeshing = true;
    viewer.useGlCommands = false;
    viewer.remeshThreshold = static_cast<int>(state.range(0));
    for (auto _ : state)
        UpdateModelDisplayList(model, 0.0f);
    viewer.remeshing = false;
    state.counters["triangles_drawn"] =
        static_cast<double>(RemeshTriangleCount(TriangleCount(*model->drawn),
                                                viewer.remeshThreshold));
}
BENCHMARK(BM_RebuildRemeshed)->Arg(1)->Arg(2)->Arg(3)->ArgName("threshold")->Unit(benchmark::kMillisecond);

// The soldier's body and its skin as loose files, in a folder of their own.
std::string LooseCopyOfBenchModel()
{
    static std::string loose;
    if (!loose.empty())
        return loose;
    std::string model = BenchModel(), error;
    if (model.empty())
        return loose;
    std::string folder = std::filesystem::temp_directory_path() / "tarnivel-bench-loose";
    std::filesystem::create_directories(folder);
    for (const char* name : {"body.md2", "body.png"}) {
        std::vector<uint8_t> bytes;
        ReadGameFile(model.substr(0, model.size() - 8) + name, bytes, error);
        FILE* out = fopen((folder + "/" + name).c_str(), "wb");
        fwrite(bytes.data(), 1, bytes.size(), out);
        fclose(out);
    }
    return loose = folder + "/body.md2";
}

// "Load Model" and "Remove Model" of the body: 0 loose, 1 from 0models.pk3
// with its directory cached, 2 from 0models.pk3 opened afresh.
void BM_OpenModel(benchmark::State& state)
{
    OpenWindow();
    std::string path = state.range(0) == 0 ? LooseCopyOfBenchModel() : BenchModel();
    if (path.empty())
        return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    QuietReports quiet;
    for (auto _ : state) {
        if (state.range(0) == 2)
            ClearArchiveCache();
        if (!AddModel(path.c_str()))
            return state.SkipWithError("the model did not load");
        RemoveModel();
    }
    glFinish();
}
BENCHMARK(BM_OpenModel)->Arg(0)->Arg(1)->Arg(2)->ArgName("from")->Unit(benchmark::kMillisecond);

// Runs a program with no display to its end; false when it failed.
bool RunWithoutDisplay(const std::vector<std::string>& arguments)
{
    pid_t child = fork();
    if (child == 0) {
        unsetenv("DISPLAY");
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A 256-pixel thumbnail of the body, the whole thumbnailer process timed as
// a file manager runs it: 0 the loose file, 1 inside 0models.pk3.
void BM_ThumbnailProcess(benchmark::State& state)
{
    std::string model = state.range(0) == 0 ? LooseCopyOfBenchModel() : BenchModel();
    if (model.empty())
        return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    std::string output = std::filesystem::temp_directory_path() / "tarnivel-bench-thumbnail.png";
    for (auto _ : state)
        if (!RunWithoutDisplay({TARNIVEL_THUMBNAILER, "-s", "256", model, output}))
            return state.SkipWithError("the thumbnailer failed");
    std::filesystem::remove(output);
}
BENCHMARK(BM_ThumbnailProcess)->Arg(0)->Arg(1)->ArgName("from")->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(20);

// tarnivel --export body.glb: the body's 1007 frames as morph targets, the
// whole process; the file's size is a counter.
void BM_ExportProcess(benchmark::State& state)
{
    std::string model = BenchModel();
    if (model.empty())
        return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    std::string output = std::filesystem::temp_directory_path() / "tarnivel-bench-body.glb";
    for (auto _ : state)
        if (!RunWithoutDisplay({TARNIVEL_BINARY, "--export", output, model}))
            return state.SkipWithError("the export failed");
    state.counters["megabytes"] = static_cast<double>(std::filesystem::file_size(output)) / 1e6;
    std::filesystem::remove(output);
}
BENCHMARK(BM_ExportProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// tarnivel --export player.glb: the Red Eclipse player with its skeleton
// and its 67 animations read from their files, the whole process.
void BM_SkeletalExportProcess(benchmark::State& state)
{
    std::string model = SkeletalBenchModel();
    if (model.empty())
        return state.SkipWithError("no Red Eclipse corpus: run tests/corpus/fetch-corpus.sh");
    std::string output = std::filesystem::temp_directory_path() / "tarnivel-bench-player.glb";
    for (auto _ : state)
        if (!RunWithoutDisplay({TARNIVEL_BINARY, "--export", output, model}))
            return state.SkipWithError("the export failed");
    state.counters["megabytes"] = static_cast<double>(std::filesystem::file_size(output)) / 1e6;
    std::filesystem::remove(output);
}
BENCHMARK(BM_SkeletalExportProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// tarnivel --export male.md3: the same player, its 67 animations as 819
// frames of vertices, the whole process (0) or as IQM (1).
void BM_SkeletalToGameProcess(benchmark::State& state)
{
    std::string model = SkeletalBenchModel();
    if (model.empty())
        return state.SkipWithError("no Red Eclipse corpus: run tests/corpus/fetch-corpus.sh");
    std::string folder = std::filesystem::temp_directory_path() / "tarnivel-bench-game";
    std::filesystem::create_directories(folder);
    std::string output = folder + (state.range(0) ? "/male.iqm" : "/male.md3");
    for (auto _ : state)
        if (!RunWithoutDisplay({TARNIVEL_BINARY, "--export", output, model}))
            return state.SkipWithError("the export failed");
    state.counters["megabytes"] = static_cast<double>(std::filesystem::file_size(output)) / 1e6;
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SkeletalToGameProcess)->Arg(0)->Arg(1)->ArgName("iqm")->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(10);

// OpenArena's 219 models (its players whole) by the batch export with -j 2,
// the whole process: 0 as .glb, 1 as .md3, side by side.
void BM_OpenArenaBatch(benchmark::State& state)
{
    std::string corpus = CorpusFolder(TARNIVEL_CORPUS_DEFAULT) + "/openarena";
    if (!std::filesystem::exists(corpus + "/baseoa/pak0.pk3"))
        return state.SkipWithError("no OpenArena corpus: run tests/corpus/fetch-corpus.sh");
    std::string out = std::filesystem::temp_directory_path() / "tarnivel-bench-batch/";
    std::vector<std::string> arguments = {TARNIVEL_BINARY, "--export", out, "-j", "2", "--force", "--no-gallery",
                                          "--format", state.range(0) ? "md3" : "glb"};
    for (const char* archive : {"/baseoa/pak0.pk3", "/baseoa/pak6-patch085.pk3", "/missionpack/mp-pak0.pk3"})
        arguments.push_back(corpus + archive);
    for (auto _ : state)
        if (!RunWithoutDisplay(arguments))
            return state.SkipWithError("the batch export failed");
    std::filesystem::remove_all(out);
}
BENCHMARK(BM_OpenArenaBatch)->Arg(0)->Arg(1)->ArgName("md3")->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(5);

// ufoai's 859 models by the batch export with -j 2, the whole process: 0 as
// .glb, 1 as .md2 (its skins in the palette of the viewer's data folder, or
// as PNG alone when it has none), side by side.
void BM_UfoaiBatch(benchmark::State& state)
{
    std::string archive = CorpusArchive(CorpusFolder(TARNIVEL_CORPUS_DEFAULT));
    if (!std::filesystem::exists(archive))
        return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    std::string out = std::filesystem::temp_directory_path() / "tarnivel-bench-batch/";
    std::vector<std::string> arguments = {TARNIVEL_BINARY, "--export", out, "-j", "2", "--force", "--no-gallery",
                                          "--format", state.range(0) ? "md2" : "glb", archive};
    for (auto _ : state)
        if (!RunWithoutDisplay(arguments))
            return state.SkipWithError("the batch export failed");
    std::filesystem::remove_all(out);
}
BENCHMARK(BM_UfoaiBatch)->Arg(0)->Arg(1)->ArgName("md2")->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(3);

// Page Down in the soldiers' folder of 0models.pk3: the next body read,
// made ready, framed and drawn (the folder's listing is kept).
void BM_NextModelFile(benchmark::State& state)
{
    std::string path = BenchModel();
    if (path.empty())
        return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    OpenWindow();
    QuietReports quiet;
    ModelObject* model = AddModel(path.c_str());
    for (auto _ : state) {
        NextModelFile();
        DrawSceneFrame();
        glFinish();
    }
    state.counters["files_in_folder"] = static_cast<double>(ModelFilesBeside(path).size());
    ReleaseAllModels();
    (void)model;
}
BENCHMARK(BM_NextModelFile)->Unit(benchmark::kMillisecond);

void BM_WritePng(benchmark::State& state)
{
    const int width = 640, height = 480;
    std::vector<uint8_t> pixels(width * 3 * height);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>((i * 7) ^ (i >> 9));
    std::vector<png_bytep> rows(height);
    for (int r = 0; r < height; ++r)
        rows[r] = pixels.data() + r * width * 3;
    std::string path = std::filesystem::temp_directory_path() / "tarnivel-bench.png";
    viewer.showOverlay = false;
    for (auto _ : state)
        benchmark::DoNotOptimize(WritePng(rows.data(), width, height, path.c_str()));
    std::filesystem::remove(path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(pixels.size()));
}
BENCHMARK(BM_WritePng)->Unit(benchmark::kMillisecond);


// Quake III shaders against one texture a surface: OpenArena's Sarge whole,
// copied into a game of its own whose scripts give every one of its images
// a shader of one or two stages (arg 1, 2; 0: none, the images alone), and
// OpenArena's quad damage item as the game draws it (two environment-mapped
// stages) or with its first stage's picture alone. Frames drawn a second.
std::string SargeGame(int stages)
{
    namespace fs = std::filesystem;
    fs::path game = fs::temp_directory_path() / ("tarnivel-bench-game-" + std::to_string(stages)) / "baseoa";
    std::string pak = CorpusFolder(TARNIVEL_CORPUS_DEFAULT) + "/openarena/baseoa/pak0.pk3";
    if (!fs::exists(pak))
        return std::string();
    fs::create_directories(game / "scripts");
    std::error_code error;
    fs::create_symlink(pak, game / "pak0.pk3", error);  // the game's own archive, scripts beside it
    std::string folder = (game / "pak0.pk3").string() + "/models/players/sarge/", script, text;
    for (const char* part : {"lower", "upper", "head"}) {
        std::vector<uint8_t> bytes;
        if (ReadGameFile(folder + part + "_default.skin", bytes, text) != GameFileResult::kOk)
            return std::string();
        std::string skin(bytes.begin(), bytes.end());
        for (size_t at = skin.find(','); at != std::string::npos && stages > 0; at = skin.find(',', at + 1)) {
            std::string image = skin.substr(at + 1, skin.find_first_of("\r\n", at) - at - 1);
            if (image.size() < 5)
                continue;
            script += image.substr(0, image.size() - 4) + "\n{\n{\nmap " + image + "\nrgbGen lightingDiffuse\n}\n";
            if (stages > 1)
                script += "{\nmap " + image + "\nblendFunc add\ntcMod scroll 0.5 0\n}\n";
            script += "}\n";
        }
    }
    FILE* out = fopen((game / "scripts" / "bench.shader").c_str(), "w");
    fputs(script.c_str(), out);
    fclose(out);
    return folder;
}

void DrawFrames(benchmark::State& state)
{
    for (auto _ : state) {
        DrawSceneFrame();
        glFinish();
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ShadedPlayer(benchmark::State& state)
{
    OpenWindow();
    std::string folder = SargeGame(static_cast<int>(state.range(0)));
    if (folder.empty())
        return state.SkipWithError("no OpenArena corpus: run tests/corpus/fetch-corpus.sh");
    QuietReports quiet;
    ModelObject* legs = OpenModel(folder);
    if (!legs)
        return state.SkipWithError("sarge did not load");
    viewer.lightingEnabled = true;
    FrameModel(legs, 0.8f);
    DrawFrames(state);
    ReleaseAllModels();
}
BENCHMARK(BM_ShadedPlayer)->Arg(0)->Arg(1)->Arg(2)->ArgName("stages")->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ShadedItem(benchmark::State& state)
{
    OpenWindow();
    std::string item = CorpusFolder(TARNIVEL_CORPUS_DEFAULT) + "/openarena/baseoa/pak0.pk3/models/powerups/instant/quad.md3";
    QuietReports quiet;
    ModelObject* model = AddModel(item.c_str());
    if (!model)
        return state.SkipWithError("no OpenArena corpus: run tests/corpus/fetch-corpus.sh");
    if (state.range(0) == 0)
        for (int skin = 0; skin < model->numSkins; ++skin)
            model->skins[skin].partShaders.clear();  // each surface its first stage's picture, lit
    viewer.lightingEnabled = true;
    FrameModel(model, 0.8f);
    DrawFrames(state);
    ReleaseAllModels();
}
BENCHMARK(BM_ShadedItem)->Arg(0)->Arg(1)->ArgName("shaders")->Unit(benchmark::kMicrosecond)->UseRealTime();

// The body written to glTF as --export writes it (1007 morph targets, 30 MB), once.
std::string GltfOfBenchModel()
{
    static std::string written;
    std::string model = LooseCopyOfBenchModel(), error;
    if (!written.empty() || model.empty())
        return written;
    Assembly body;
    ExportRequest request;
    request.output = std::filesystem::temp_directory_path() / "tarnivel-bench-loose" / "body.glb";
    if (LoadAssembly("bench", model, "", body) && ExportAssembly(body, request, error))
        written = request.output;
    return written;
}

// The body read and made its drawn form and skins, as "Load Model" does
// before OpenGL: 0 its .md2, 1 its glTF export, side by side.
void BM_ReadBody(benchmark::State& state)
{
    std::string path = state.range(0) == 0 ? LooseCopyOfBenchModel() : GltfOfBenchModel();
    if (path.empty())
        return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    QuietReports quiet;
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadModelFile("bench", path.c_str()));
}
BENCHMARK(BM_ReadBody)->Arg(0)->Arg(1)->ArgName("gltf")->Unit(benchmark::kMillisecond);

// Nexuiz's Carni player (ZYM: 1875 vertices on 72 joints, images in
// textures.pk3), or a chain written as a Half-Life model (40 bones, 64
// vertices round each, bending): the two skeletal families with no glTF
// road in.
std::string NexuizPlayer()
{
    std::string path = CorpusFolder(TARNIVEL_CORPUS_DEFAULT) + "/nexuiz/data/data.pk3/models/player/carni.zym";
    std::vector<uint8_t> bytes;
    std::string error;
    return ReadGameFile(path, bytes, error) == GameFileResult::kOk ? path : std::string();
}

std::string HalfLifeChain()
{
    static std::string written;
    if (!written.empty())
        return written;
    const int bones = 40, around = 64;
    writers::SkeletalModel chain;
    writers::SkeletalMesh mesh{"chain", "chain", {}, {}};
    writers::SkeletalAnimation bend{"bend", 15, {}};
    for (int b = 0; b < bones; ++b) {
        chain.joints.push_back({"bone" + std::to_string(b), b - 1, {}});
        chain.joints.back().bind.translate[0] = b ? 4.0f : 0.0f;
        for (int k = 0; k < around; ++k) {
            float a = static_cast<float>(2 * M_PI * k / around);
            writers::SkeletalVertex v = {{4.0f * b, 3 * std::cos(a), 3 * std::sin(a)}, {float(k) / around, float(b) / bones}};
            v.joints = {static_cast<uint8_t>(b), 0, 0, 0};
            mesh.vertices.push_back(v);
            uint32_t at = static_cast<uint32_t>(b * around + k), next = static_cast<uint32_t>(b * around + (k + 1) % around);
            if (b + 1 < bones)
                mesh.triangles.insert(mesh.triangles.end(), {at, next, at + around, next, next + around, at + around});
        }
    }
    for (int f = 0; f < 30; ++f) {
        std::vector<writers::SkeletalPose> poses;
        for (const writers::SkeletalJoint& joint : chain.joints) {
            poses.push_back(joint.bind);
            float half = 0.05f * std::sin(static_cast<float>(f) / 30 * 6.2832f + joint.parent * 0.3f) / 2;
            poses.back().rotate[2] = std::sin(half), poses.back().rotate[3] = std::cos(half);
        }
        bend.frames.push_back(poses);
    }
    chain.meshes = {mesh};
    chain.animations = {bend};
    writers::StudioOptions options;
    options.name = "chain";
    options.textures = {{"chain", 0, 64, 64, {}}};
    options.textures[0].pixels.assign(64 * 64, 100);
    std::string folder = std::filesystem::temp_directory_path() / "tarnivel-bench-studio";
    std::filesystem::create_directories(folder);
    if (writers::WriteFile(folder + "/chain.mdl", writers::WriteStudio(chain, options).model))
        written = folder + "/chain.mdl";
    return written;
}

// Ten animating models through the whole display path, frames a second:
// 0 Nexuiz's ZYM player, 1 the Half-Life chain; still (interpolation none)
// and interpolated, for their ratio.
void BM_TenSkeletal(benchmark::State& state)
{
    std::string path = state.range(0) ? HalfLifeChain() : NexuizPlayer();
    if (path.empty())
        return state.SkipWithError("no Nexuiz corpus: run tests/corpus/fetch-corpus.sh");
    AnimateTen(state, path, static_cast<uint8_t>(state.range(1)));
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TenSkeletal)->ArgsProduct({{0, 1}, {0, 1}})->ArgNames({"halflife", "interpolation"})
    ->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

// Nexuiz's player read, posed and drawn into a 256-pixel picture, the whole
// process: load to first picture.
void BM_NexuizFirstPicture(benchmark::State& state)
{
    std::string model = NexuizPlayer();
    if (model.empty())
        return state.SkipWithError("no Nexuiz corpus: run tests/corpus/fetch-corpus.sh");
    std::string output = std::filesystem::temp_directory_path() / "tarnivel-bench-carni.png";
    for (auto _ : state)
        if (!RunWithoutDisplay({TARNIVEL_BINARY, "--render", output, "--size", "256x256", model}))
            return state.SkipWithError("the picture failed");
    std::filesystem::remove(output);
}
BENCHMARK(BM_NexuizFirstPicture)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
