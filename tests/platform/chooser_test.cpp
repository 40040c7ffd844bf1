#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/chooser.h"
#include "support/gl_context.h"
#include "support/test_files.h"

namespace {

std::string lastPrompt;
ChooserKind lastKind;

ChooserResult Chooses(ChooserKind kind, const char* prompt, char* buffer)
{
    lastPrompt = prompt;
    lastKind = kind;
    snprintf(buffer, kChooserBufferSize, "/models/tris.md2");
    return ChooserResult::kChosen;
}

ChooserResult Cancels(ChooserKind, const char*, char*) { return ChooserResult::kCancelled; }
ChooserResult Fails(ChooserKind, const char*, char*) { return ChooserResult::kFailed; }

class Chooser : public ::testing::Test {
protected:
    void TearDown() override
    {
        fileChooser = ConsoleFileChooser;
        consoleInput = stdin;
    }
};

// Answers the console chooser from text, as a person at the prompt would.
class ConsoleAnswers {
public:
    explicit ConsoleAnswers(const std::string& text) : file_(tmpfile())
    {
        fputs(text.c_str(), file_);
        rewind(file_);
        consoleInput = file_;
    }
    ~ConsoleAnswers()
    {
        consoleInput = stdin;
        fclose(file_);
    }

private:
    FILE* file_;
};

}  // namespace

TEST_F(Chooser, PromptsPrintTheSameLinesOnSuccessAndCancel)
{
    char buffer[kChooserBufferSize];
    fileChooser = Chooses;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(GetFileOpenName("Name of model (.mdl or .md2): ", buffer));
    EXPECT_STREQ(buffer, "/models/tris.md2");
    EXPECT_EQ(lastPrompt, "Name of model (.mdl or .md2): ");
    EXPECT_EQ(lastKind, ChooserKind::kOpen);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "The file selected was: /models/tris.md2\n");

    fileChooser = Cancels;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(GetFileSaveName("Name of capture sequence: ", buffer));
    EXPECT_FALSE(GetDirectoryName("Choose directory of a Q2 player model: ", buffer));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "WinGetFileSaveName(): CommDlgExtendedError returned the error: 0\n"
              "WinGetDirectoryName(): CommDlgExtendedError returned the error: 0\n");

    fileChooser = Fails;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(GetFileOpenName("x", buffer));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "WinGetFileOpenName(): CommDlgExtendedError returned the error: 65535\n"
              "Dialog Box could not be created.. probable cause :Invalid Handle\n");
}

TEST_F(Chooser, ConsoleReadsOneLineAndCancelsOnEmptyEndOrOverlong)
{
    char buffer[kChooserBufferSize];
    std::string tooLong(kChooserBufferSize, 'x');
    ConsoleAnswers answers("models/a b.md2\n\n" + tooLong + "\nlast.md2");
    ErrorCapture errors;
    testing::internal::CaptureStdout();
    EXPECT_EQ(ConsoleFileChooser(ChooserKind::kOpen, "Name: ", buffer), ChooserResult::kChosen);
    EXPECT_STREQ(buffer, "models/a b.md2");
    EXPECT_EQ(ConsoleFileChooser(ChooserKind::kOpen, "Name: ", buffer), ChooserResult::kCancelled);
    EXPECT_EQ(ConsoleFileChooser(ChooserKind::kOpen, "Name: ", buffer), ChooserResult::kCancelled);
    EXPECT_EQ(ConsoleFileChooser(ChooserKind::kOpen, "Name: ", buffer), ChooserResult::kChosen);
    EXPECT_STREQ(buffer, "last.md2");
    EXPECT_EQ(ConsoleFileChooser(ChooserKind::kOpen, "Name: ", buffer), ChooserResult::kCancelled);
    std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(console.substr(0, 18), "Name: Name: Name: ");
    EXPECT_EQ(console.substr(console.size() - 12), "Name: Name: ");
    EXPECT_TRUE(errors.Has("The file chooser: the path is 4096 characters long, past the system's limit of 4095"));
}

// A stand-in zenity records how it was called; no dialog ever opens.
TEST_F(Chooser, ZenityIsCalledWithoutAShellAndItsAnswerTaken)
{
    TempDir dir;
    std::string script = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + dir.Path("args") +
                         "'\nprintf '/chosen/model file.md2\\n'\nexit ${ZENITY_STATUS:-0}\n";
    std::string zenity = dir.Write("zenity", std::vector<uint8_t>(script.begin(), script.end()));
    chmod(zenity.c_str(), 0755);
    std::string savedPath = getenv("PATH") ? getenv("PATH") : "";
    const char* savedDisplay = getenv("DISPLAY");
    std::string display = savedDisplay ? savedDisplay : "";
    setenv("PATH", (dir.path() + ":/usr/bin:/bin").c_str(), 1);
    setenv("DISPLAY", ":0", 1);

    char buffer[kChooserBufferSize];
    ASSERT_EQ(SystemFileChooser(ChooserKind::kOpen, "Name of skin (.pcx): ; rm -rf x", buffer),
              ChooserResult::kChosen);
    EXPECT_STREQ(buffer, "/chosen/model file.md2");
    std::string args = ReadText(dir.Path("args"));
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_NE(args.find("--file-selection\n--title=Name of skin (.pcx): ; rm -rf x\n--filename=" +
                        std::string(cwd) + "/\n"),
              std::string::npos)
        << args;
    EXPECT_NE(args.find("--file-filter=Quake Models *.mdl,*.md2 |"), std::string::npos);
    EXPECT_NE(args.find("--file-filter=Skins *.pcx |"), std::string::npos);
    EXPECT_EQ(args.find("--save"), std::string::npos);

    ASSERT_EQ(SystemFileChooser(ChooserKind::kSave, "Name of capture sequence: ", buffer), ChooserResult::kChosen);
    EXPECT_NE(ReadText(dir.Path("args")).find("--save"), std::string::npos);
    setenv("ZENITY_STATUS", "1", 1);
    EXPECT_EQ(SystemFileChooser(ChooserKind::kOpen, "x", buffer), ChooserResult::kCancelled);
    setenv("ZENITY_STATUS", "5", 1);
    EXPECT_EQ(SystemFileChooser(ChooserKind::kOpen, "x", buffer), ChooserResult::kFailed);
    unsetenv("ZENITY_STATUS");

    setenv("PATH", savedPath.c_str(), 1);
    if (savedDisplay)
        setenv("DISPLAY", display.c_str(), 1);
    else
        unsetenv("DISPLAY");
}
