#include "platform/error_log.h"

#include <cstring>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdarg>
#include <ctime>

FILE* reportConsole = stdout;
FILE* errorLog = nullptr;

void WriteErrorLogHeader(FILE* log)
{
    time_t now = time(nullptr);
    fprintf(log, "\nNew Error Log Started: %s", asctime(localtime(&now)));
}

void OpenErrorLog()
{
    errorLog = fopen("errors.txt", "a");
    if (errorLog) {
        WriteErrorLogHeader(errorLog);
        fflush(errorLog);
    }
}

void ReportError(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args);  // cuts, never overruns
    va_end(args);
    // Flushed at once: a run that ends by a signal or a crash keeps every report.
    fprintf(reportConsole, "Error: %s\n", message);
    fflush(reportConsole);
    if (errorLog) {
        fprintf(errorLog, "Error: %s\n", message);
        fflush(errorLog);
    }
}

void ReportAll(const std::vector<std::string>& reports)
{
    for (const std::string& report : reports)
        ReportError("%s", report.c_str());
}

void ReportNotice(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vfprintf(reportConsole, format, args);
    va_end(args);
    fputc('\n', reportConsole);
    fflush(reportConsole);
}

void CheckGLError(const char* where)
{
    GLenum err = glGetError();
    if (err != GL_NO_ERROR)
        ReportError("OpenGL error detected in %s: %s\n", where,
                    reinterpret_cast<const char*>(gluErrorString(err)));
}

GatheredReports::GatheredReports() : saved_(reportConsole), file_(tmpfile())
{
    reportConsole = file_ ? file_ : saved_;
}

GatheredReports::~GatheredReports()
{
    reportConsole = saved_;
    if (file_)
        fclose(file_);
}

std::string GatheredReports::FirstError(const char* other) const
{
    char line[1100];
    if (file_)
        rewind(file_);
    while (file_ && fgets(line, sizeof line, file_)) {
        std::string text = line;
        if (text.compare(0, 7, "Error: ") != 0)
            continue;
        text.erase(0, 7);
        if (other && text.compare(0, strlen(other), other) == 0)
            continue;
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        return text;
    }
    return std::string();
}
