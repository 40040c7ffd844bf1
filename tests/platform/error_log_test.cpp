#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/error_log.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "support/test_files.h"

TEST(ErrorLog, EachMessageIsOneFormattedLineInBothPlacesCutAt1023)
{
    ErrorCapture errors;
    std::string console = Printed([] {
        ReportError("OpenMd2File: file is not a md2 file because tag is: %X", 0x4F504449u);
        ReportError("%s", "text with %s and %n inside");
        ReportError("ends in a newline\n");
        ReportError("%s", std::string(5000, 'm').c_str());
    });
    std::string expected = "Error: OpenMd2File: file is not a md2 file because tag is: 4F504449\n"
                           "Error: text with %s and %n inside\n"
                           "Error: ends in a newline\n\n"
                           "Error: " + std::string(1023, 'm') + "\n";
    EXPECT_EQ(console, expected);
    EXPECT_EQ(errors.Text(), expected);
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
