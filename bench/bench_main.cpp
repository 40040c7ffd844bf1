// Speed and memory of parsing, display-list rebuilds and PNG writing.
// Run under a display (xvfb-run) with the ufoai-data corpus fetched
// (tests/corpus/fetch-corpus.sh); the corpus benchmarks say so without it.
#include <GL/freeglut.h>
#include <fcntl.h>
#include <unistd.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/png_writer.h"
#include "core/viewer_state.h"
#include "support/corpus_files.h"
#include "lighting/lights.h"
#include "archive/archive.h"
#include "archive/game_files.h"
#include "batch/model_listing.h"
#include "models/file_bytes.h"
#include "models/md2.h"
#include "models/model_list.h"
#include "render/draw.h"
#include "render/remesh.h"

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
            std::unique_ptr<Md2File> record = OpenMd2Bytes(file);
            std::vector<SkinName> skins;
            std::unique_ptr<FrameName[]> names;
            benchmark::DoNotOptimize(record && ReadMd2Sections(*record, skins, names));
            bytes += static_cast<int64_t>(file.size());
        }
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ParseCorpus)->Unit(benchmark::kMillisecond);

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
        const Md2File& file = *Md2Data(model);
        size_t held = file.frames.size() + file.triangles.size() * sizeof(Md2Triangle) +
                      file.texCoords.size() * sizeof(Md2TexCoord) + file.glCommands.size() * 4 +
                      model->numFrames * sizeof(FrameName);
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

// The same triangles compiled with nothing to decode: the floor of a rebuild.
void BM_CompileOnly(benchmark::State& state)
{
    ModelObject* model = LoadLargest(state);
    if (!model)
        return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    const Md2File& file = *Md2Data(model);
    for (auto _ : state) {
        glNewList(model->displayList, GL_COMPILE);
        for (const Md2Triangle& tri : file.triangles) {
            glBegin(GL_TRIANGLES);
            for (int k = 0; k < 3; ++k) {
                float v = static_cast<float>(tri.vertexIndex[k]);
                if (model->texturing)
                    glTexCoord2f(v, v);
                glNormal3f(0, v, 1);
                glVertex3f(v, v, v);
            }
            glEnd();
        }
        glEndList();
    }
}
BENCHMARK(BM_CompileOnly)->Unit(benchmark::kMicrosecond);

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
        static_cast<double>(RemeshTriangleCount(static_cast<int64_t>(Md2Data(model)->triangles.size()),
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

}  // namespace

BENCHMARK_MAIN();
