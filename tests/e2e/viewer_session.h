#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/image_files.h"
#include "support/programs.h"

// Where a window stands on the screen.
struct Box {
    int x = 0, y = 0, width = 0, height = 0;
};

// The real tarnivel binary, started under the test's X server in a folder,
// driven with xdotool and watched through X screenshots and its files.
class ViewerSession {
public:
    ViewerSession(const std::string& folder, const std::vector<std::string>& arguments);
    ~ViewerSession();
    ViewerSession(const ViewerSession&) = delete;
    ViewerSession& operator=(const ViewerSession&) = delete;

    // Waits for the viewer's window ("Tarnivel", or "MODEL (i/n) - Tarnivel"),
    // and for the title given, which the window takes once its models are
    // loaded; false when none came.
    bool WaitForWindow(const std::string& title = "", double seconds = 20);
    bool WindowBox(Box& box) const;
    // The window's title, once it reads the awaited one (or after 5 s).
    std::string Title(const std::string& awaited = "") const;
    // The first pop-up menu, once one is shown.
    bool MenuBox(Box& box) const;
    void Key(const std::string& keys) const;
    void MoveMouse(int x, int y) const;
    void Click(int x, int y, int button) const;
    // Answers the viewer's console prompts.
    void Input(const std::string& text) const;
    void Signal(int signal);
    // Waits for the process to end; its exit status, or -1 on a timeout.
    int WaitForExit(double seconds = 20);
    // What the X server shows of the window.
    bool Screenshot(PngImage& image) const;
    // Standard output and error so far (complete once the process has ended).
    std::string Output() const;
    bool Running();

private:
    std::string folder_;
    pid_t pid_ = -1;
    int input_ = -1;
    std::string window_;
    int status_ = -1;
};

void Settle(double seconds = 0.4);
// Mean absolute difference of two same-sized RGB images, per channel.
double ImageDifference(const PngImage& a, const PngImage& b);
