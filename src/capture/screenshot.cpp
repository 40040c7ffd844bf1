#include "capture/screenshot.h"

#include <GL/gl.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "formats/png_writer.h"
#include "platform/chooser.h"
#include "platform/error_log.h"
#include "platform/paths.h"
#include "platform/quit_signals.h"
#include "state/viewer_state.h"

namespace {

// Screenshots are taken by the next frame, before its swap.
int pendingScreenShots = 0;
const char* captureShotName = nullptr;
char captureShotFile[kMaxPath];
int captureShotResult = 1;

std::string ReadAnswerLine()
{
    std::string line;
    char chunk[256];
    while (fgets(chunk, sizeof chunk, consoleInput)) {
        line += chunk;
        if (line.back() == '\n')
            break;
    }
    QuitIfRequested();  // a signal woke the prompt up
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

std::string Trimmed(const std::string& text)
{
    size_t start = text.find_first_not_of(" \t");
    size_t end = text.find_last_not_of(" \t");
    return start == std::string::npos ? std::string() : text.substr(start, end - start + 1);
}

}  // namespace

bool ParseFrameRate(const std::string& answer, int* fps)
{
    std::string text = Trimmed(answer);
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    long value = strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > 1000000)
        return false;
    *fps = static_cast<int>(value);
    return true;
}

bool ParseDuration(const std::string& answer, float* seconds)
{
    std::string text = Trimmed(answer);
    if (text.empty())
        return false;
    char* end = nullptr;
    float value = strtof(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value))
        return false;
    *seconds = value;
    return true;
}

int WritePng(png_bytep* rows, int width, int height, const char* fileName)
{
    return WritePngRows(rows, width, height, PNG_COLOR_TYPE_RGB, fileName, viewer.showOverlay);
}

int MakeScreenShot(const char* fileName)
{
    int width = viewer.windowWidth, height = viewer.windowHeight;
    size_t rowBytes = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
    printf("Taking a screen shot %s ", fileName);
    std::vector<unsigned char> pixels;
    std::vector<png_bytep> rows;
    try {
        pixels.resize(rowBytes * height);
    } catch (const std::bad_alloc&) {
        ReportError("MakeScreenShot: unable to allocate pixel buffer");
        return 1;
    }
    try {
        rows.resize(height);
    } catch (const std::bad_alloc&) {
        ReportError("MakeScreenShot: unable to allocate array of row pointers");
        return 1;
    }
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    for (int i = 0; i < height; ++i)
        rows[height - 1 - i] = pixels.data() + rowBytes * i;
    int result = WritePng(rows.data(), width, height, fileName);
    printf("\n");
    return result;
}

void TakeScreenShot(float)
{
    ++pendingScreenShots;
}

void TakePendingScreenShot()
{
    for (; pendingScreenShots > 0; --pendingScreenShots) {
        char name[kMaxPath];
        if (!FormatPath(name, sizeof name, "%s%s_%02d.png", viewer.startDirectory, "capture",
                        viewer.screenshotNumber)) {
            ReportError("TakeScreenShot: the start folder's path is too long for a file name");
            continue;
        }
        if (MakeScreenShot(name) == 0)
            viewer.screenshotNumber = (viewer.screenshotNumber + 1) % 100;
    }
    if (captureShotName) {
        captureShotResult = MakeScreenShot(captureShotName);
        captureShotName = nullptr;
    }
}

void AbortCapture()
{
    viewer.captureFramesLeft = 0;
    viewer.captureFrameCount = 0;
    printf("Capture aborted\n");
}

void CaptureSequence(float)
{
    if (viewer.captureFramesLeft > 0)
        AbortCapture();
    else
        StartCaptureSequence();
}

void StartCaptureSequence()
{
    if (!GetFileSaveName("Name of capture sequence: ", viewer.captureBaseName)) {
        ReportError("Invalid capture sequence name");
        return;
    }
    printf("Frames per second for capturing: ");
    fflush(stdout);
    std::string answer = ReadAnswerLine();
    int fps = 0;
    if (!ParseFrameRate(answer, &fps)) {
        ReportError("StartCaptureSequence: \"%s\" is not a frame rate (a whole number of at least 1)",
                    answer.c_str());
        return;
    }
    printf("Length of time to capture the sequence for: ");
    fflush(stdout);
    answer = ReadAnswerLine();
    float seconds = 0;
    double frames = 0;
    if (!ParseDuration(answer, &seconds) || std::fabs(frames = fps * double(seconds)) > 1e9) {
        ReportError("StartCaptureSequence: \"%s\" is not a duration in seconds", answer.c_str());
        return;
    }
    int count = static_cast<int>(frames);
    const char* base = viewer.captureBaseName;
    printf("This will produce %d frames named from\n", count);
    printf("\t%s_%03d.png to %s_%03d.png\n", base, 0, base, count - 1);
    printf("Time will advance %d milliseconds between captures\n", 1000 / fps);
    printf("Would you like to proceed (Y/N)? ");
    fflush(stdout);
    char word[256] = "";
    sscanf(ReadAnswerLine().c_str(), "%255s", word);
    LowerCaseString(word);
    if (word[0] != 'y') {
        AbortCapture();
        return;
    }
    viewer.captureFrameCount = viewer.captureFramesLeft = count;
    viewer.captureStepMs = 1000 / fps;
}

bool BeginCaptureFrame(int frame)
{
    if (!FormatPath(captureShotFile, sizeof captureShotFile, "%s_%03d.png", viewer.captureBaseName, frame)) {
        ReportError("CaptureFrame: the capture name is too long for a file name");
        AbortCapture();
        return false;
    }
    captureShotName = captureShotFile;
    captureShotResult = 1;
    return true;
}

void FinishCaptureFrame(int now)
{
    captureShotName = nullptr;
    if (captureShotResult != 0) {
        AbortCapture();
        return;
    }
    printf("Wrote %s at %d (ms)\n", captureShotFile, now);
    viewer.captureFramesLeft--;
}
