#include "support/programs.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "support/test_files.h"

ProgramRun RunWithoutDisplay(const std::vector<std::string>& arguments, const std::string& folder,
                             const std::vector<std::pair<std::string, std::string>>& environment)
{
    ProgramRun run;
    std::string errorsPath = folder + "/.stderr";
    pid_t child = fork();
    if (child == 0) {
        int errors = open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(errors, STDERR_FILENO);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        for (const auto& variable : environment)
            setenv(variable.first.c_str(), variable.second.c_str(), 1);
        std::vector<char*> argv;
        std::vector<std::string> copies = arguments;
        for (std::string& argument : copies)
            argv.push_back(&argument[0]);
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    run.errors = ReadText(errorsPath);
    unlink(errorsPath.c_str());
    return run;
}
