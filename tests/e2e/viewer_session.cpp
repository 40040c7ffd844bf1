#include "e2e/viewer_session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "support/programs.h"
#include "support/test_files.h"

namespace {

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool BoxOf(const std::string& window, Box& box)
{
    std::string info = RunCommand("xwininfo -id " + window + " 2>/dev/null");
    auto field = [&info](const char* label, int* value) {
        size_t at = info.find(label);
        return at != std::string::npos && sscanf(info.c_str() + at + strlen(label), "%d", value) == 1;
    };
    return !window.empty() && field("Absolute upper-left X:", &box.x) &&
           field("Absolute upper-left Y:", &box.y) && field("Width:", &box.width) &&
           field("Height:", &box.height);
}

std::string FirstWindow(const std::string& search)
{
    std::string found = RunCommand("xdotool search " + search + " 2>/dev/null");
    return found.substr(0, found.find('\n'));
}

}  // namespace

void Settle(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
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
    : folder_(folder)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return;
    std::vector<std::string> command = arguments;
    command.insert(command.begin(), TARNIVEL_BINARY);
    // No zenity on the path: prompts are answered on the console. No
    // palettes of the user's own either.
    const Environment environment = {{"PATH", "/nonexistent"}, {"XDG_DATA_HOME", folder + "/.no-user-data"}};
    std::string output = folder + "/viewer-output.txt";
    fcntl(pipeEnds[1], F_SETFD, FD_CLOEXEC);
    pid_ = Spawn(command, folder, environment, pipeEnds[0], output, output);
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
    int status;
    if (pid_ <= 0 || status_ != -1 || waitpid(pid_, &status, WNOHANG) != pid_)
        return pid_ > 0 && status_ == -1;
    status_ = EndStatus(status);
    return false;
}

bool ViewerSession::WaitForWindow(const std::string& title, double seconds)
{
    for (double end = Now() + seconds; Now() < end && Running(); Settle(0.1)) {
        window_ = FirstWindow("--name '(^| - )Tarnivel$'");
        if (!window_.empty() && (title.empty() || Title() == title)) {
            Settle(1.0);  // the first frames
            return true;
        }
    }
    return false;
}

bool ViewerSession::WindowBox(Box& box) const { return BoxOf(window_, box); }

std::string ViewerSession::Title(const std::string& awaited) const
{
    for (double end = Now() + 5;; Settle(0.1)) {
        std::string title = RunCommand("xdotool getwindowname " + window_);
        title = title.empty() ? title : title.substr(0, title.size() - 1);
        if (awaited.empty() || title == awaited || Now() > end)
            return title;
    }
}

bool ViewerSession::MenuBox(Box& box) const
{
    for (int attempt = 0; attempt < 40; ++attempt, Settle(0.1))
        if (BoxOf(FirstWindow("--onlyvisible --name '^freeglut menu$'"), box))
            return true;
    return false;
}

void ViewerSession::Key(const std::string& keys) const
{
    RunCommand("xdotool windowfocus --sync " + window_ + " key --delay 80 " + keys + " 2>/dev/null");
    Settle();
}

void ViewerSession::MoveMouse(int x, int y) const
{
    RunCommand("xdotool mousemove --window " + window_ + " " + std::to_string(x) + " " + std::to_string(y));
    Settle(0.3);
}

void ViewerSession::Click(int x, int y, int button) const
{
    MoveMouse(x, y);
    RunCommand("xdotool click " + std::to_string(button));
    Settle(0.5);
}

void ViewerSession::Input(const std::string& text) const
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
    for (double end = Now() + seconds; Now() < end && Running();)
        Settle(0.05);
    return Running() ? -1 : status_;
}

bool ViewerSession::Screenshot(PngImage& image) const
{
    Box box;
    std::string file = folder_ + "/x-screen.png";
    if (!WindowBox(box))
        return false;
    RunCommand("xwd -root -silent | /usr/bin/convert xwd:- -crop " + std::to_string(box.width) + "x" +
               std::to_string(box.height) + "+" + std::to_string(box.x) + "+" + std::to_string(box.y) +
               " +repage -type TrueColor -define png:color-type=2 '" + file + "'");
    return ReadPngFile(file, image);
}

std::string ViewerSession::Output() const { return ReadText(folder_ + "/viewer-output.txt"); }
