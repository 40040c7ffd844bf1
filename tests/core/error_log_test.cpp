#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cctype>
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
    // "\nNew Error Log Started: " and asctime's "Sun Dec  6 22:01:16 2026\n"
    const std::string prefix = "\nNew Error Log Started: ";
    std::string header(text, n);
    ASSERT_EQ(header.size(), prefix.size() + 25) << header;
    EXPECT_EQ(header.compare(0, prefix.size(), prefix), 0);
    std::string stamp = header.substr(prefix.size());
    const std::string shape = "Aaa Aaa 99 99:99:99 9999\n";
    for (size_t i = 0; i < shape.size(); ++i) {
        char c = stamp[i];
        bool fits = shape[i] == 'A' ? isupper(c) : shape[i] == 'a' ? islower(c)
                  : shape[i] == '9' ? (isdigit(c) || (i == 8 && c == ' ')) : c == shape[i];
        EXPECT_TRUE(fits) << "character " << i << " of " << stamp;
    }
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
