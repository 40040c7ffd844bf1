#include "batch/progress.h"

#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

namespace {

int TerminalWidth(FILE* out)
{
    winsize size = {};
    return ioctl(fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 20 ? size.ws_col : 80;
}

void Clear(Progress& progress)
{
    if (progress.drawn)
        fputs("\r\033[K", progress.out);
    progress.drawn = false;
}

}  // namespace

double Seconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

std::string Duration(double seconds)
{
    long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    if (whole >= 3600)
        snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    else
        snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

void StartProgress(Progress& progress, FILE* out, int total)
{
    progress.out = out;
    progress.terminal = isatty(fileno(out));
    progress.total = total;
    progress.start = Seconds();
}

void ProgressTakes(Progress& progress, const std::string& name)
{
    progress.atHand = name;
    RedrawProgress(progress);
}

void ProgressDone(Progress& progress, const std::string& line)
{
    ++progress.done;
    if (!progress.terminal)
        fprintf(progress.out, "[%d/%d] %s\n", progress.done, progress.total, line.c_str());
    RedrawProgress(progress);
}

void ProgressSays(Progress& progress, const std::string& line)
{
    Clear(progress);
    fprintf(progress.out, "%s\n", line.c_str());
    RedrawProgress(progress);
}

void RedrawProgress(Progress& progress)
{
    if (!progress.terminal)
        return;
    double elapsed = Seconds() - progress.start;
    char head[96];
    if (progress.done > 0 && elapsed > 0) {
        double rate = progress.done / elapsed;
        snprintf(head, sizeof head, "[%d/%d] %.1f models/s, %s left ", progress.done, progress.total, rate,
                 Duration((progress.total - progress.done) / rate).c_str());
    } else {
        snprintf(head, sizeof head, "[%d/%d] ", progress.done, progress.total);
    }
    std::string line = head + progress.atHand;
    size_t width = static_cast<size_t>(TerminalWidth(progress.out) - 1);
    if (line.size() > width)
        line = line.substr(0, width);
    fprintf(progress.out, "\r%s\033[K", line.c_str());
    fflush(progress.out);
    progress.drawn = true;
}

void EndProgress(Progress& progress)
{
    Clear(progress);
    fflush(progress.out);
}
