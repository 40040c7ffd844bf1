#pragma once

#include <cstdio>
#include <string>
#include <vector>

// errors.txt while it is open; null when no log is kept.
extern FILE* errorLog;

// Where reports are printed: standard output, or standard error for the
// command-line modes whose standard output is their result.
extern FILE* reportConsole;

// Opens errors.txt for appending and writes this run's header.
void OpenErrorLog();

// Formats one message (cut to 1023 characters) and writes "Error: %s\n"
// to the console and to the error log.
void ReportError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Tells the log what a reader said, in order.
void ReportAll(const std::vector<std::string>& reports);

// A console line that is not an error: printed where reports go, not logged.
void ReportNotice(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Reports one pending OpenGL error, if any, tagged with where the check ran.
void CheckGLError(const char* where);

// Keeps the reports made while it lives instead of printing them, for a
// command-line mode that tells one line: the first error.
class GatheredReports {
public:
    GatheredReports();
    ~GatheredReports();
    GatheredReports(const GatheredReports&) = delete;
    GatheredReports& operator=(const GatheredReports&) = delete;
    // The first error, without its "Error: " (and not one of those reported
    // by other); empty when there was none.
    std::string FirstError(const char* other = nullptr) const;

private:
    FILE* saved_;
    FILE* file_;
};

// Writes the log header to a stream; kept apart so the format can be tested.
void WriteErrorLogHeader(FILE* log);
