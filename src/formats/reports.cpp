#include "formats/reports.h"

#include <cstdarg>
#include <cstdio>

void AddReport(Reports& reports, const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args);
    va_end(args);
    reports.emplace_back(message);
}
