#pragma once

#include <cstdio>
#include <string>

// A batch's progress on a stream: on a terminal, one line redrawn with the
// models done of the total, the rate, the time left and the model at hand;
// elsewhere, a plain line as each model is done.
struct Progress {
    FILE* out = stderr;
    bool terminal = false;
    int total = 0;
    int done = 0;
    double start = 0;       // seconds, on the monotonic clock
    std::string atHand;
    bool drawn = false;     // a progress line stands on the terminal
};

double Seconds();
void StartProgress(Progress& progress, FILE* out, int total);
void ProgressTakes(Progress& progress, const std::string& name);
// One model done; line is its plain line ("written models/x.glb").
void ProgressDone(Progress& progress, const std::string& line);
// A line of its own (a failure), the progress line drawn again under it.
void ProgressSays(Progress& progress, const std::string& line);
void RedrawProgress(Progress& progress);
void EndProgress(Progress& progress);

// "1:05" for 65 seconds.
std::string Duration(double seconds);
