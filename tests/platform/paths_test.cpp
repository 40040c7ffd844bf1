#include <gtest/gtest.h>

#include <string>

#include "platform/paths.h"
#include "support/gl_context.h"

TEST(PathHelpers, SplitPathsOnEverySeparator)
{
    // A path, then its extension, file name and folder ("-" for none).
    const char* cases[][4] = {
        {"D:\\models\\player\\tris.md2", "md2", "tris.md2", "D:\\models\\player\\"},
        {"model.old.md2", "md2", "model.old.md2", ""},
        {"noextension", "-", "noextension", ""},
        {"/games/q2/", "-", "", "/games/q2/"},
        {"D:tris.md2", "md2", "tris.md2", "D:"},
        {"a/b\\c:d", "-", "d", "a/b\\c:"},
        {"dir.v2/model", "v2/model", "model", "dir.v2/"},  // a dotted folder gives its text as the extension
    };
    char out[kMaxPath];
    for (const auto& c : cases) {
        const char* extension = ExtractExtension(c[0]);
        EXPECT_STREQ(extension ? extension : "-", c[1]) << c[0];
        EXPECT_STREQ(ExtractFileName(c[0]), c[2]) << c[0];
        EXPECT_STREQ(ExtractDirectory(c[0], out), c[3]) << c[0];
    }
    EXPECT_EQ(DirectoryOf("models/a/b.md2") + FileNameOf("models/a/b.md2"), "models/a/b.md2");
    char fits[16];
    EXPECT_TRUE(FormatPath(fits, sizeof fits, "%s_%02d.png", "cap", 7));
    EXPECT_STREQ(fits, "cap_07.png");
    EXPECT_FALSE(FormatPath(fits, sizeof fits, "%s_%02d.png", "a-much-longer-name", 7));
}

TEST(PathHelpers, HelpersRefuseSeparatorsPastTheLimitAndLowerCaseLooksAt256)
{
    ErrorCapture errors;
    std::string longPath(kMaxPath + 8, 'a');
    longPath[kMaxPath + 3] = '.';
    EXPECT_EQ(ExtractExtension(longPath.c_str()), nullptr);
    longPath[kMaxPath + 3] = '/';
    EXPECT_EQ(ExtractFileName(longPath.c_str()), nullptr);
    EXPECT_TRUE(errors.Has("ExtractExtension: string missing terminator"));
    EXPECT_TRUE(errors.Has("ExtractFileName: string missing terminator"));
    char answer[] = "YES, Please";
    EXPECT_STREQ(LowerCaseString(answer), "yes, please");
    std::string text(255, 'Q');
    LowerCaseString(&text[0]);
    EXPECT_EQ(text, std::string(255, 'q'));
    EXPECT_FALSE(errors.Has("Warning: no null terminator"));
    char unterminated[300];
    std::fill(unterminated, unterminated + 300, 'A');
    LowerCaseString(unterminated);
    EXPECT_EQ(std::string(unterminated + 255, 2), "aA");
    EXPECT_TRUE(errors.Has("Warning: no null terminator was found in the string\n"));
}
