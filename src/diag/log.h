// The diagnostic log for developers and support: one level-tagged line to standard error when
// the environment sets SKYVANE_DEBUG=1, nothing otherwise.
#pragma once

enum LogLevel { Debug = 0, Info = 1, Warn = 2, Error = 3, Fatal = 4, Critical = 5 };

// Writes the level's tag (none outside Debug..Critical) and the printf-formatted message, cut
// to 510 characters, ending in exactly the line feed it had or one appended. Keeps no state.
// Silent unless SKYVANE_DEBUG is 1.
void LogMessage(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
