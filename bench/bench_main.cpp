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
    for (const std::string& path : CorpusModels(CorpusFolder(TARNIVEL_CORPUS_DEFAULT))) {
        std::vector<uint8_t> bytes;
        if (ReadFileBytes(path.c_str(), bytes) == FileReadResult::kOk)
            all.push_back(std::move(bytes));
    }
    return all;
}

void BM_ReadCorpusFiles(benchmark::State& state)
{
    std::vector<std::string> models = CorpusModels(CorpusFolder(TARNIVEL_CORPUS_DEFAULT));
    if (models.empty())
        return state.SkipWithError("no corpus: run tests/corpus/fetch-corpus.sh");
    int64_t bytes = 0;
    for (auto _ : state) {
        for (const std::string& path : models) {
            std::vector<uint8_t> data;
            ReadFileBytes(path.c_str(), data);
            bytes += static_cast<int64_t>(data.size());
        }
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ReadCorpusFiles)->Unit(benchmark::kMillisecond);

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
