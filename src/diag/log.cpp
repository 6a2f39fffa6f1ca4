#include "diag/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

const char* tagOf(int level) {
    static const char* const tags[] = {"<debug> ", "<info> ",  "<warn> ",
                                       "<error> ", "<fatal> ", "<critical> "};
    return level >= Debug && level <= Critical ? tags[level] : "";
}

}  // namespace

void LogMessage(int level, const char* format, ...) {
    // Never shown to the user: it stands in for the debugger channel.
    const char* debug = std::getenv("SKYVANE_DEBUG");
    if (debug == nullptr || std::string_view(debug) != "1") {
        return;
    }
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
    std::fwrite(line.data(), 1, line.size(), stderr);
}
