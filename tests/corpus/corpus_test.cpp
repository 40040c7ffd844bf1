// Every MD2 model of Debian's ufoai-data, through the viewer's own loading,
// skin, drawing and removal code.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "core/viewer_state.h"
#include "support/corpus_files.h"
#include "models/md2.h"
#include "models/model_list.h"
#include "models/skins.h"
#include "render/draw.h"
#include "render/remesh.h"
#include "support/gl_context.h"
#include "support/test_files.h"

namespace {

// The first report of a refusal, without the file's own numbers.
std::string Reason(const std::string& reports)
{
    std::string first = reports.substr(0, reports.find('\n'));
    size_t cut = first.find_first_of("0123456789\"");
    return cut == std::string::npos ? first : first.substr(0, cut);
}

}  // namespace

TEST_F(ViewerTest, EveryCorpusModelLoadsDrawsAndIsReleased)
{
    std::vector<std::string> models = CorpusModels(CorpusFolder(TARNIVEL_CORPUS_DEFAULT));
    if (models.empty())
        GTEST_SKIP() << "no ufoai-data models in " << CorpusFolder(TARNIVEL_CORPUS_DEFAULT)
                     << " (the package could not be downloaded here)";
    TempDir dir;
    std::string skin = dir.Write("extra.pcx", TestPcx(1024, 1024));
    int loaded = 0, refused = 0, textured = 0, dropped = 0, withCommands = 0;
    std::map<std::string, int> reasons;
    for (const std::string& path : models) {
        ErrorCapture errors;
        testing::internal::CaptureStdout();
        ModelObject* model = AddModel(path.c_str());
        std::string reports = errors.Text();
        if (getenv("CORPUS_VERBOSE") && model && model->numSkins == 0)
            fprintf(stderr, "corpus: no skin for %s\n", path.c_str());
        if (!model) {
            ++refused;
            ++reasons[Reason(reports.substr(7))];
        } else {
            ++loaded;
            textured += model->numSkins > 0;
            dropped += reports.find("GL commands dropped") != std::string::npos;
            withCommands += !Md2Data(model)->glCommands.empty();
            // Skins added and removed, lists rebuilt every way they can be.
            AddSkin(skin.c_str());
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
    }
    printf("corpus: %zu MD2 models: %d loaded, %d refused; %d with a skin; %d drawn from GL commands, "
           "%d had theirs dropped\n",
           models.size(), loaded, refused, textured, withCommands, dropped);
    for (const auto& reason : reasons)
        printf("corpus: refused %d: %s\n", reason.second, reason.first.c_str());
    EXPECT_GT(loaded, static_cast<int>(models.size()) * 9 / 10);
}
