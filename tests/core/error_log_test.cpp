#include <GL/gl.h>
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "core/error_log.h"
#include "core/viewer_state.h"
#include "support/gl_context.h"

TEST(ErrorLog, EachMessageIsOneFormattedLineInBothPlaces)
{
    ErrorCapture errors;
    testing::internal::CaptureStdout();
    ReportError("OpenMd2File: file is not a md2 file because tag is: %X", 0x4F504449u);
    ReportError("%s", "text with %s and %n inside");
    ReportError("ends in a newline\n");
    std::string console = testing::internal::GetCapturedStdout();
    std::string expected = "Error: OpenMd2File: file is not a md2 file because tag is: 4F504449\n"
                           "Error: text with %s and %n inside\n"
                           "Error: ends in a newline\n\n";
    EXPECT_EQ(console, expected);
    EXPECT_EQ(errors.Text(), expected);
}

TEST(ErrorLog, LongMessagesAreCutToTheBuffer)
{
    ErrorCapture errors;
    std::string huge(5000, 'm');
    testing::internal::CaptureStdout();
    ReportError("%s", huge.c_str());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(errors.Text(), "Error: " + std::string(1023, 'm') + "\n");
}

TEST(ErrorLog, HeaderHasTheAsctimeForm)
{
    FILE* file = tmpfile();
    WriteErrorLogHeader(file);
    rewind(file);
    char text[128] = {};
    size_t n = fread(text, 1, sizeof text - 1, file);
    fclose(file);
    EXPECT_TRUE(std::regex_match(std::string(text, n),
                                 std::regex("\nNew Error Log Started: [A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d "
                                            "\\d\\d:\\d\\d:\\d\\d \\d{4}\n")))
        << text;
}

TEST_F(ViewerTest, GlErrorsAreReportedOncePerCheckWithTheTag)
{
    ErrorCapture errors;
    glEnable(0xFFFF);  // invalid enum
    CheckGLError("first");
    CheckGLError("second");
    glLineWidth(-1.0f);  // invalid value
    CheckGLError("third");
    EXPECT_EQ(errors.Text(), "Error: OpenGL error detected in first: invalid enumerant\n\n"
                             "Error: OpenGL error detected in third: invalid value\n\n");
}
