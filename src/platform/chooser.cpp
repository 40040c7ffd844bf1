#include "platform/chooser.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/quit_signals.h"

FileChooser fileChooser = SystemFileChooser;
FILE* consoleInput = stdin;

namespace {

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

std::vector<std::string> ZenityArguments(ChooserKind kind, const char* prompt)
{
    char cwd[4096];
    std::string start = getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" : std::string("./");
    std::vector<std::string> args = {"zenity", "--file-selection", std::string("--title=") + prompt,
                                     "--filename=" + start};
    if (kind == ChooserKind::kSave)
        args.push_back("--save");
    if (kind == ChooserKind::kOpen) {
        args.push_back("--file-filter=Quake Models *.mdl,*.md2 | *.mdl *.MDL *.md2 *.MD2");
        args.push_back("--file-filter=Quake 1 Models *.mdl | *.mdl *.MDL");
        args.push_back("--file-filter=Quake 2 Models *.md2 | *.md2 *.MD2");
        args.push_back("--file-filter=Skins *.pcx | *.pcx *.PCX *.png *.PNG *.tga *.TGA *.jpg "
                       "*.JPG *.jpeg *.JPEG");
    }
    return args;
}

// Runs zenity without a shell, so no path or prompt is ever interpreted.
ChooserResult ZenityFileChooser(ChooserKind kind, const char* prompt, char* buffer)
{
    std::vector<std::string> args = ZenityArguments(kind, prompt);
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
    std::string path;
    char chunk[1024];
    ssize_t n;
    while ((n = read(output[0], chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR)) {
        if (n < 0 && QuitRequested()) {
            kill(child, SIGTERM);
            waitpid(child, nullptr, 0);
            QuitIfRequested();
        }
        if (n > 0 && path.size() < 65536)
            path.append(chunk, static_cast<size_t>(n));
    }
    close(output[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 1))
        return ChooserResult::kFailed;
    if (WEXITSTATUS(status) == 1)
        return ChooserResult::kCancelled;
    return AcceptPath(path, buffer);
}

bool Ask(ChooserKind kind, const char* prompt, char* buffer, const char* dialogName)
{
    buffer[0] = '\0';
    ChooserResult result = fileChooser(kind, prompt, buffer);
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

ChooserResult ConsoleFileChooser(ChooserKind, const char* prompt, char* buffer)
{
    printf("%s", prompt);
    fflush(stdout);
    std::string line;
    char chunk[1024];
    while (fgets(chunk, sizeof chunk, consoleInput)) {
        line += chunk;
        if (!line.empty() && line.back() == '\n')
            break;
    }
    QuitIfRequested();  // a signal woke the prompt up
    return AcceptPath(line, buffer);
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

bool GetDirectoryName(const char* prompt, char* buffer)
{
    return Ask(ChooserKind::kDirectory, prompt, buffer, "WinGetDirectoryName");
}
