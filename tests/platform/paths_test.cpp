#include <gtest/gtest.h>

#include <string>

#include "platform/paths.h"
#include "support/gl_context.h"

TEST(PathHelpers, SplitPathsOnEverySeparator)
{
    const char* path = "D:\\models\\player\\tris.md2";
    EXPECT_STREQ(ExtractExtension(path), "md2");
    EXPECT_STREQ(ExtractFileName(path), "tris.md2");
    char out[512];
    EXPECT_STREQ(ExtractDirectory(path, out), "D:\\models\\player\\");

    EXPECT_STREQ(ExtractExtension("model.old.md2"), "md2");
    EXPECT_EQ(ExtractExtension("noextension"), nullptr);
    EXPECT_STREQ(ExtractFileName("tris.md2"), "tris.md2");
    EXPECT_STREQ(ExtractDirectory("tris.md2", out), "");
    EXPECT_STREQ(ExtractFileName("/games/q2/"), "");
    EXPECT_STREQ(ExtractDirectory("/games/q2/", out), "/games/q2/");
    EXPECT_STREQ(ExtractFileName("D:tris.md2"), "tris.md2");
    EXPECT_STREQ(ExtractDirectory("D:tris.md2", out), "D:");
    EXPECT_STREQ(ExtractFileName("a/b\\c:d"), "d");
    // A dotted folder gives its text as the extension of a file without one.
    EXPECT_STREQ(ExtractExtension("dir.v2/model"), "v2/model");
}

TEST(PathHelpers, HelpersRefuseSeparatorsPastTheBuffer)
{
    ErrorCapture errors;
    std::string longPath(kMaxPath + 8, 'a');
    longPath[kMaxPath + 3] = '.';
    EXPECT_EQ(ExtractExtension(longPath.c_str()), nullptr);
    longPath[kMaxPath + 3] = '/';
    EXPECT_EQ(ExtractFileName(longPath.c_str()), nullptr);
    EXPECT_TRUE(errors.Has("ExtractExtension: string missing terminator"));
    EXPECT_TRUE(errors.Has("ExtractFileName: string missing terminator"));
}

TEST(PathHelpers, LowerCaseLooksAtMost256Characters)
{
    ErrorCapture errors;
    char answer[] = "YES, Please";
    EXPECT_STREQ(LowerCaseString(answer), "yes, please");
    std::string text(255, 'Q');
    LowerCaseString(&text[0]);
    EXPECT_EQ(text, std::string(255, 'q'));
    EXPECT_EQ(errors.Text(), "");
    char unterminated[300];
    for (char& c : unterminated)
        c = 'A';
    LowerCaseString(unterminated);
    EXPECT_EQ(unterminated[255], 'a');
    EXPECT_EQ(unterminated[256], 'A');
    EXPECT_TRUE(errors.Has("Warning: no null terminator was found in the string\n"));
}

TEST(PathHelpers, FormatPathRefusesWhatDoesNotFit)
{
    char out[16];
    EXPECT_TRUE(FormatPath(out, sizeof out, "%s_%02d.png", "cap", 7));
    EXPECT_STREQ(out, "cap_07.png");
    EXPECT_FALSE(FormatPath(out, sizeof out, "%s_%02d.png", "a-much-longer-name", 7));
}
