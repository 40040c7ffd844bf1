#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "model/model_formats.h"
#include "platform/chooser.h"
#include "support/gl_context.h"
#include "support/test_files.h"

namespace {

class Chooser : public ::testing::Test {
protected:
    void TearDown() override
    {
        fileChooser = ConsoleFileChooser;
        consoleInput = stdin;
    }
};

}  // namespace

TEST_F(Chooser, PromptsPrintTheSameLinesOnSuccessAndCancel)
{
    char buffer[kChooserBufferSize];
    fileChooser = StandInChooser;
    standIn.answer = "/models/tris.md2";
    // The chooser's outcome, the prompt asked, and what the console shows.
    const struct {
        ChooserResult result;
        bool (*ask)(const char*, char*);
        const char* console;
    } cases[] = {
        {ChooserResult::kChosen, GetFileOpenName, "The file selected was: /models/tris.md2\n"},
        {ChooserResult::kCancelled, GetFileSaveName,
         "WinGetFileSaveName(): CommDlgExtendedError returned the error: 0\n"},
        {ChooserResult::kCancelled, GetDirectoryName,
         "WinGetDirectoryName(): CommDlgExtendedError returned the error: 0\n"},
        {ChooserResult::kFailed, GetFileOpenName,
         "WinGetFileOpenName(): CommDlgExtendedError returned the error: 65535\n"
         "Dialog Box could not be created.. probable cause :Invalid Handle\n"},
    };
    for (const auto& c : cases) {
        standIn.result = c.result;
        testing::internal::CaptureStdout();
        EXPECT_EQ(c.ask("Name of model (.mdl or .md2): ", buffer), c.result == ChooserResult::kChosen);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.console);
        EXPECT_STREQ(buffer, c.result == ChooserResult::kChosen ? "/models/tris.md2" : "");
    }
}

TEST_F(Chooser, ConsoleReadsOneLineAndCancelsOnEmptyEndOrOverlong)
{
    char buffer[kChooserBufferSize];
    std::string text = "models/a b.md2\n\n" + std::string(kChooserBufferSize, 'x') + "\nlast.md2";
    FILE* input = fmemopen(&text[0], text.size(), "r");
    consoleInput = input;
    ErrorCapture errors;
    testing::internal::CaptureStdout();
    for (const char* expected : {"models/a b.md2", "", "", "last.md2", ""}) {
        ChooserResult result = ConsoleFileChooser(ChooserKind::kOpen, "Name: ", buffer);
        EXPECT_EQ(result, expected[0] ? ChooserResult::kChosen : ChooserResult::kCancelled);
        if (expected[0]) {
            EXPECT_STREQ(buffer, expected);
        }
    }
    std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(console.substr(0, 18) + console.substr(console.size() - 12), "Name: Name: Name: Name: Name: ");
    EXPECT_TRUE(errors.Has("The file chooser: the path is 4096 characters long, past the system's limit of 4095"));
    fclose(input);
}

// A stand-in zenity records how it was called; no dialog ever opens.
TEST_F(Chooser, ZenityIsCalledWithoutAShellAndItsAnswerTaken)
{
    TempDir dir;
    std::string script = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + dir.Path("args") +
                         "'\nprintf '/chosen/model file.md2\\n'\nexit ${ZENITY_STATUS:-0}\n";
    chmod(dir.Write("zenity", std::vector<uint8_t>(script.begin(), script.end())).c_str(), 0755);
    std::string savedPath = getenv("PATH") ? getenv("PATH") : "";
    const char* savedDisplay = getenv("DISPLAY");
    std::string display = savedDisplay ? savedDisplay : "";
    setenv("PATH", (dir.path() + ":/usr/bin:/bin").c_str(), 1);
    setenv("DISPLAY", ":0", 1);

    char buffer[kChooserBufferSize];
    SetModelFileFilters(ModelFileFilters());  // as the viewer's start-up does
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
    EXPECT_EQ(args.find("--save"), std::string::npos);
    ASSERT_EQ(SystemFileChooser(ChooserKind::kSave, "Name of capture sequence: ", buffer), ChooserResult::kChosen);
    EXPECT_NE(ReadText(dir.Path("args")).find("--save"), std::string::npos);
    std::string chosen;
    ASSERT_EQ(SystemMemberChooser("Model in the archive: ", {"progs/a.mdl", "progs/b.mdl"}, chosen),
              ChooserResult::kChosen);
    EXPECT_NE(ReadText(dir.Path("args")).find("--list\n--title=Model in the archive: \n"), std::string::npos);
    EXPECT_NE(ReadText(dir.Path("args")).find("progs/a.mdl\nprogs/b.mdl\n"), std::string::npos);
    for (auto status : {std::make_pair("1", ChooserResult::kCancelled), std::make_pair("5", ChooserResult::kFailed)}) {
        setenv("ZENITY_STATUS", status.first, 1);
        EXPECT_EQ(SystemFileChooser(ChooserKind::kOpen, "x", buffer), status.second);
    }
    unsetenv("ZENITY_STATUS");
    setenv("PATH", savedPath.c_str(), 1);
    if (savedDisplay)
        setenv("DISPLAY", display.c_str(), 1);
    else
        unsetenv("DISPLAY");
}
