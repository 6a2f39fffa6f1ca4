// The last resort for an exception that reached the program entry: a report in the trace
// file, then the user is told that the program ends.
#pragma once

#include <exception>

// Tells the user; the desktop program shows a message box, the default a line on stderr.
using FatalNotice = void (*)(const char* text, const char* caption);

// Writes the report of the system and of the libraries loaded for the user interface,
// FTP and the image codecs into the trace file.
void WriteEnvironmentReport();

// Traces what the exception says, with the error number where there is one, writes the
// environment report and tells the user. Returns the process exit code, 0.
int ReportFatalError(std::exception_ptr error, FatalNotice notice = nullptr);
