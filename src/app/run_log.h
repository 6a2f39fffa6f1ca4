// The log of a command that runs as a service: one line each on standard output, which the
// journal keeps.
#pragma once

// Writes the printf-formatted line with the local date and time in front, at once.
void runLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
