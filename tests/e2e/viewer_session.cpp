#include "e2e/viewer_session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "support/test_files.h"

namespace {

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::string RunCommand(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        out.append(chunk, n);
    pclose(pipe);
    return out;
}

double ImageDifference(const PngImage& a, const PngImage& b)
{
    if (a.width != b.width || a.height != b.height || a.channels != 3 || b.channels != 3)
        return 1e9;
    double total = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width * 3; ++x)
            total += std::abs(int(a.pixels[y * a.rowBytes + x]) - int(b.pixels[y * b.rowBytes + x]));
    return total / (double(a.width) * a.height * 3);
}

ViewerSession::ViewerSession(const std::string& folder, const std::vector<std::string>& arguments)
    : folder_(folder), outputPath_(folder + "/viewer-output.txt")
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return;
    pid_ = fork();
    if (pid_ == 0) {
        dup2(pipeEnds[0], STDIN_FILENO);
        int out = open(outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        // No zenity on the path: prompts are answered on the console. No
        // palettes of the user's own either.
        setenv("PATH", "/nonexistent", 1);
        setenv("XDG_DATA_HOME", (folder + "/.no-user-data").c_str(), 1);
        std::vector<char*> argv;
        std::string binary = TARNIVEL_BINARY;
        argv.push_back(&binary[0]);
        std::vector<std::string> copies = arguments;
        for (std::string& a : copies)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    close(pipeEnds[0]);
    input_ = pipeEnds[1];
    signal(SIGPIPE, SIG_IGN);
}

ViewerSession::~ViewerSession()
{
    if (Running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (input_ >= 0)
        close(input_);
}

bool ViewerSession::Running()
{
    if (pid_ <= 0 || status_ != -1)
        return false;
    int status;
    pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
        return false;
    }
    return true;
}

bool ViewerSession::WaitForWindow(double seconds)
{
    double end = Now() + seconds;
    while (Now() < end && Running()) {
        std::string found = RunCommand("xdotool search --name '^Tarnivel$' 2>/dev/null");
        if (!found.empty()) {
            window_ = found.substr(0, found.find('\n'));
            Settle(1.0);  // the first frames
            return true;
        }
        Settle(0.1);
    }
    return false;
}

bool ViewerSession::WindowSize(int* width, int* height) const
{
    std::string info = RunCommand("xwininfo -id " + window_);
    return sscanf(info.c_str() + info.find("Width:"), "Width: %d", width) == 1 &&
           sscanf(info.c_str() + info.find("Height:"), "Height: %d", height) == 1;
}

bool ViewerSession::WindowPosition(int* x, int* y) const
{
    std::string geometry = RunCommand("xdotool getwindowgeometry " + window_);
    size_t at = geometry.find("Position: ");
    return at != std::string::npos && sscanf(geometry.c_str() + at, "Position: %d,%d", x, y) == 2;
}

bool ViewerSession::MenuGeometry(int* x, int* y, int* width)
{
    for (int attempt = 0; attempt < 40; ++attempt, Settle(0.1)) {
        std::string menus = RunCommand("xdotool search --onlyvisible --name '^freeglut menu$' 2>/dev/null");
        if (menus.empty())
            continue;
        std::string info = RunCommand("xwininfo -id " + menus.substr(0, menus.find('\n')));
        size_t left = info.find("Absolute upper-left X:"), top = info.find("Absolute upper-left Y:"),
               wide = info.find("Width:");
        if (left != std::string::npos && top != std::string::npos && wide != std::string::npos &&
            sscanf(info.c_str() + left, "Absolute upper-left X: %d", x) == 1 &&
            sscanf(info.c_str() + top, "Absolute upper-left Y: %d", y) == 1 &&
            sscanf(info.c_str() + wide, "Width: %d", width) == 1)
            return true;
    }
    return false;
}

void ViewerSession::Key(const std::string& keys)
{
    RunCommand("xdotool windowfocus --sync " + window_ + " key --delay 80 " + keys + " 2>/dev/null");
    Settle();
}

void ViewerSession::MoveMouse(int x, int y)
{
    RunCommand("xdotool mousemove --window " + window_ + " " + std::to_string(x) + " " + std::to_string(y));
    Settle(0.3);
}

void ViewerSession::Click(int x, int y, int button)
{
    MoveMouse(x, y);
    RunCommand("xdotool click " + std::to_string(button));
    Settle(0.5);
}

void ViewerSession::Input(const std::string& text)
{
    if (write(input_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        perror("write to the viewer");
}

void ViewerSession::Signal(int signal)
{
    if (Running())
        kill(pid_, signal);
}

int ViewerSession::WaitForExit(double seconds)
{
    double end = Now() + seconds;
    while (Now() < end && Running())
        Settle(0.05);
    return Running() ? -1 : status_;
}

bool ViewerSession::Screenshot(PngImage& image)
{
    std::string geometry = RunCommand("xdotool getwindowgeometry " + window_);
    int x = 0, y = 0, width = 0, height = 0;
    size_t at = geometry.find("Position: "), size = geometry.find("Geometry: ");
    if (at == std::string::npos || size == std::string::npos ||
        sscanf(geometry.c_str() + at, "Position: %d,%d", &x, &y) != 2 ||
        sscanf(geometry.c_str() + size, "Geometry: %dx%d", &width, &height) != 2)
        return false;
    std::string file = folder_ + "/x-screen.png";
    RunCommand("xwd -root -silent | /usr/bin/convert xwd:- -crop " + std::to_string(width) + "x" +
               std::to_string(height) + "+" + std::to_string(x) + "+" + std::to_string(y) +
               " +repage -type TrueColor -define png:color-type=2 '" + file + "'");
    return ReadPngFile(file, image);
}

std::string ViewerSession::Output() const
{
    return ReadText(outputPath_);
}

void ViewerSession::Settle(double seconds) const
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}
