#include "platform/chooser.h"

#include <signal.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/quit_signals.h"

FileChooser fileChooser = SystemFileChooser;
MemberChooser memberChooser = SystemMemberChooser;
FILE* consoleInput = stdin;

namespace {

// Set while a dialog proposes the path its buffer holds; choosers called
// any other way get whatever the buffer holds and propose nothing.
bool proposing = false;

// The model formats' filters an open dialog offers before the skins'.
std::vector<std::string> modelFilters;

// Copies a chosen path; one that does not fit is reported and counts as a cancel.
ChooserResult AcceptPath(std::string path, char* buffer)
{
    while (!path.empty() && (path.back() == '\n' || path.back() == '\r'))
        path.pop_back();
    if (path.empty() || !PathFits("The file chooser", path.c_str()))
        return ChooserResult::kCancelled;
    memcpy(buffer, path.c_str(), path.size() + 1);
    return ChooserResult::kChosen;
}

bool ZenityAvailable()
{
    const char* display = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    if (!(display && display[0]) && !(wayland && wayland[0]))
        return false;
    const char* path = getenv("PATH");
    std::string dirs = path ? path : "";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && access((dir + "/zenity").c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

std::vector<std::string> ZenityArguments(ChooserKind kind, const char* prompt, const char* proposed)
{
    char cwd[4096];
    std::string start = getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" : std::string("./");
    std::vector<std::string> args = {"zenity", "--file-selection", std::string("--title=") + prompt,
                                     "--filename=" + (proposed[0] ? std::string(proposed) : start)};
    if (kind == ChooserKind::kSave)
        args.push_back("--save");
    if (kind == ChooserKind::kOpen) {
        args.insert(args.end(), modelFilters.begin(), modelFilters.end());
        args.push_back("--file-filter=Skins *.pcx | *.pcx *.PCX *.png *.PNG *.tga *.TGA *.jpg "
                       "*.JPG *.jpeg *.JPEG");
    }
    return args;
}

// Runs zenity without a shell, so no path or prompt is ever interpreted.
// Gives its answer, kCancelled for its "cancel" status and kFailed when it
// could not run.
ChooserResult RunZenity(std::vector<std::string> args, std::string& answer)
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    int output[2];
    if (pipe(output) != 0)
        return ChooserResult::kFailed;
    fflush(stdout);
    pid_t child = fork();
    if (child < 0) {
        close(output[0]);
        close(output[1]);
        return ChooserResult::kFailed;
    }
    if (child == 0) {
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        close(output[1]);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(output[1]);
    char chunk[1024];
    ssize_t n;
    while ((n = read(output[0], chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR)) {
        if (n < 0 && QuitRequested()) {
            kill(child, SIGTERM);
            waitpid(child, nullptr, 0);
            QuitIfRequested();
        }
        if (n > 0 && answer.size() < 65536)
            answer.append(chunk, static_cast<size_t>(n));
    }
    close(output[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 1))
        return ChooserResult::kFailed;
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r'))
        answer.pop_back();
    return WEXITSTATUS(status) == 1 ? ChooserResult::kCancelled : ChooserResult::kChosen;
}

ChooserResult ZenityFileChooser(ChooserKind kind, const char* prompt, char* buffer)
{
    std::string path;
    ChooserResult result = RunZenity(ZenityArguments(kind, prompt, proposing ? buffer : ""), path);
    return result == ChooserResult::kChosen ? AcceptPath(path, buffer) : result;
}

ChooserResult ZenityMemberChooser(const char* prompt, const std::vector<std::string>& members, std::string& chosen)
{
    std::vector<std::string> args = {"zenity", "--list", std::string("--title=") + prompt,
                                     std::string("--text=") + prompt, "--column=Name", "--width=640",
                                     "--height=480"};
    args.insert(args.end(), members.begin(), members.end());
    chosen.clear();
    ChooserResult result = RunZenity(args, chosen);
    return result == ChooserResult::kChosen && chosen.empty() ? ChooserResult::kCancelled : result;
}

std::string ReadConsoleLine()
{
    std::string line;
    char chunk[1024];
    while (fgets(chunk, sizeof chunk, consoleInput)) {
        line += chunk;
        if (!line.empty() && line.back() == '\n')
            break;
    }
    QuitIfRequested();  // a signal woke the prompt up
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

bool Ask(ChooserKind kind, const char* prompt, char* buffer, const char* dialogName, const char* proposed = "")
{
    snprintf(buffer, kChooserBufferSize, "%s", proposed);
    proposing = proposed[0] != '\0';
    ChooserResult result = fileChooser(kind, prompt, buffer);
    proposing = false;
    if (result == ChooserResult::kChosen) {
        printf("The file selected was: %s\n", buffer);
        return true;
    }
    buffer[0] = '\0';
    int error = result == ChooserResult::kFailed ? 0xFFFF : 0;
    printf("%s(): CommDlgExtendedError returned the error: %d\n", dialogName, error);
    if (error == 0xFFFF)
        printf("Dialog Box could not be created.. probable cause :Invalid Handle\n");
    return false;
}

}  // namespace

void SetModelFileFilters(std::vector<std::string> filters)
{
    modelFilters = std::move(filters);
}

ChooserResult ConsoleFileChooser(ChooserKind, const char* prompt, char* buffer)
{
    std::string proposed = proposing ? buffer : "";
    if (proposed.empty())
        printf("%s", prompt);
    else
        printf("%s[%s] ", prompt, proposed.c_str());
    fflush(stdout);
    std::string answer = ReadConsoleLine();
    return AcceptPath(answer.empty() ? proposed : answer, buffer);
}

ChooserResult ConsoleMemberChooser(const char* prompt, const std::vector<std::string>& members, std::string& chosen)
{
    for (size_t i = 0; i < members.size(); ++i)
        printf("%5zu  %s\n", i + 1, members[i].c_str());
    printf("%s", prompt);
    fflush(stdout);
    std::string answer = ReadConsoleLine();
    if (answer.empty())
        return ChooserResult::kCancelled;
    char* end = nullptr;
    unsigned long number = strtoul(answer.c_str(), &end, 10);
    if (*end == '\0' && isdigit(static_cast<unsigned char>(answer[0]))) {
        if (number < 1 || number > members.size())
            return ChooserResult::kCancelled;
        chosen = members[number - 1];
        return ChooserResult::kChosen;
    }
    chosen = answer;
    for (const std::string& member : members)
        if (strcasecmp(member.c_str(), answer.c_str()) == 0)
            chosen = member;
    return ChooserResult::kChosen;
}

ChooserResult SystemMemberChooser(const char* prompt, const std::vector<std::string>& members, std::string& chosen)
{
    if (ZenityAvailable())
        return ZenityMemberChooser(prompt, members, chosen);
    return ConsoleMemberChooser(prompt, members, chosen);
}

bool GetArchiveMember(const char* prompt, const std::string& archive, const std::vector<std::string>& members,
                      std::string& chosen)
{
    ChooserResult result = memberChooser(prompt, members, chosen);
    if (result != ChooserResult::kChosen)
        return false;
    printf("The file selected was: %s/%s\n", archive.c_str(), chosen.c_str());
    return true;
}

ChooserResult SystemFileChooser(ChooserKind kind, const char* prompt, char* buffer)
{
    if (ZenityAvailable())
        return ZenityFileChooser(kind, prompt, buffer);
    return ConsoleFileChooser(kind, prompt, buffer);
}

bool GetFileOpenName(const char* prompt, char* buffer)
{
    return Ask(ChooserKind::kOpen, prompt, buffer, "WinGetFileOpenName");
}

bool GetFileSaveName(const char* prompt, char* buffer)
{
    return Ask(ChooserKind::kSave, prompt, buffer, "WinGetFileSaveName");
}

bool GetFileSaveName(const char* prompt, const char* proposed, char* buffer)
{
    return Ask(ChooserKind::kSave, prompt, buffer, "WinGetFileSaveName", proposed);
}

bool GetDirectoryName(const char* prompt, char* buffer)
{
    return Ask(ChooserKind::kDirectory, prompt, buffer, "WinGetDirectoryName");
}
