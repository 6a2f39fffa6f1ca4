#include "app/run_log.h"

#include <QDateTime>
#include <cstdarg>
#include <cstdio>

void runLog(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    // One call, so that lines from two threads never interleave.
    std::printf("%s %s\n",
                QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss").toUtf8().constData(),
                line);
    std::fflush(stdout);
}
