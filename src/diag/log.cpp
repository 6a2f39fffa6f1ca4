#include "diag/log.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

const char* tagOf(int level) {
    static const char* const tags[] = {"<debug> ", "<info> ",  "<warn> ",
                                       "<error> ", "<fatal> ", "<critical> "};
    return level >= Debug && level <= Critical ? tags[level] : "";
}

}  // namespace

void LogMessage(int level, const char* format, ...) {
    char message[512] = {};
    va_list args;
    va_start(args, format);
    vsnprintf(message, 511, format, args);
    va_end(args);

    // 510 characters at most, so that the line feed and the terminating zero always fit.
    size_t length = std::char_traits<char>::length(message);
    if (length == 0 || (message[length - 1] != '\n' && message[length - 1] != '\r')) {
        message[length] = '\n';
    }
    std::string line = std::string(tagOf(level)) + message;
    // Standard error stands in for the debugger channel; both get the same bytes.
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}
