// The diagnostic log: one level-tagged line to standard error and standard output.
#pragma once

enum LogLevel { Debug = 0, Info = 1, Warn = 2, Error = 3, Fatal = 4, Critical = 5 };

// Writes the level's tag (none outside Debug..Critical) and the printf-formatted message, cut
// to 510 characters, ending in exactly the line feed it had or one appended. Keeps no state.
void LogMessage(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
