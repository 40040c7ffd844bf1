#include "support/programs.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "support/test_files.h"

pid_t Spawn(const std::vector<std::string>& arguments, const std::string& folder, const Environment& environment,
            int input, const std::string& output, const std::string& errors)
{
    pid_t child = fork();
    if (child != 0)
        return child;
    int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(errors == output ? out : open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
    dup2(input >= 0 ? input : open("/dev/null", O_RDONLY), STDIN_FILENO);
    if (chdir(folder.c_str()) != 0)
        _exit(126);
    for (const auto& variable : environment)
        variable.second.empty() ? unsetenv(variable.first.c_str())
                                : setenv(variable.first.c_str(), variable.second.c_str(), 1);
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (std::string& argument : copies)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

int EndStatus(int waitStatus)
{
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 1000 + WTERMSIG(waitStatus);
}

ProgramRun RunWithoutDisplay(const std::vector<std::string>& arguments, const std::string& folder,
                             const Environment& environment)
{
    Environment variables = {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    variables.insert(variables.end(), environment.begin(), environment.end());
    std::string errors = folder + "/.stderr";
    int status = 0;
    waitpid(Spawn(arguments, folder, variables, -1, "/dev/null", errors), &status, 0);
    ProgramRun run{EndStatus(status), ReadText(errors)};
    unlink(errors.c_str());
    return run;
}

std::string RunCommand(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    char chunk[4096];
    for (size_t n; pipe && (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        out.append(chunk, n);
    if (pipe)
        pclose(pipe);
    return out;
}
