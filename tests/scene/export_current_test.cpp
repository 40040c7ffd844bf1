#include <gtest/gtest.h>

#include "scene/export_current.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"

TEST_F(ViewerTest, ExportModelProposesTheModelsOwnNameAndSaysHowItWent)
{
    snprintf(viewer.startDirectory, sizeof viewer.startDirectory, "%s/", dir.path().c_str());
    ASSERT_NE(Load(TinyMd2(), "walker.md2"), nullptr);
    const struct {
        std::string answer;
        const char* said;
    } cases[] = {
        {dir.Path("out.glb"), "Exported "},
        {dir.Path("none/out.glb"), "Error: ExportModel: "},
        {dir.Path("out.txt"), "must end in .glb, .gltf or .obj"},
    };
    for (const auto& c : cases) {
        standIn.answer = c.answer;
        ErrorCapture errors;
        std::string printed = Printed([] { ExportCurrentModel(); });
        EXPECT_EQ(standIn.proposed, dir.Path("walker.glb"));
        EXPECT_EQ(standIn.kind, ChooserKind::kSave);
        EXPECT_NE((printed + errors.Text()).find(c.said), std::string::npos) << printed << errors.Text();
        EXPECT_EQ(FileExists(c.answer), c.answer == dir.Path("out.glb")) << c.answer;
    }
}
