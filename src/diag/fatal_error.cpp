#include "diag/fatal_error.h"

#include <cerrno>
#include <cstdio>

#include "diag/exceptions.h"
#include "diag/file_info.h"
#include "diag/system_version.h"
#include "diag/trace_file.h"

namespace {

constexpr int kTraceLevel = 10;

void noticeOnStderr(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

void traceErrorCode(const CWin32Exception& error) {
    CTraceFile::Instance().Write(kTraceLevel, "Win32 ErrorCode: %d", error.GetCode());
}

// The error of the last failed system call, where there was one.
void traceLastError(int code) {
    CWin32Exception last(code);
    if (last.GetCode() != 0) {
        traceErrorCode(last);
        CTraceFile::Instance().Write(kTraceLevel, "Win32 ErrorMessage: %s",
                                     last.GetMessage().c_str());
    }
}

}  // namespace

void WriteEnvironmentReport() {
    CTraceFile& trace = CTraceFile::Instance();
    trace.Write(kTraceLevel, "Stack Trace Start");
    trace.Write(kTraceLevel, "Windows Version: %s", CWindowsVersion().GetDescription().c_str());
    trace.Write(kTraceLevel, "%s", CFileInfo::kCsvHeader);
    CFileInfo widgets("libQt6Widgets.so.6");
    const char* libraries[] = {widgets.IsFound() ? "libQt6Widgets.so.6" : "libQt6Gui.so.6",
                               "libcurl.so.4", "libpng16.so.16", "libjpeg.so.62"};
    for (const char* library : libraries) {
        trace.Write(kTraceLevel, "%s", CFileInfo(library).GetCsvLine().c_str());
    }
    trace.Write(kTraceLevel, "Stack Trace End");
}

int ReportFatalError(std::exception_ptr error, FatalNotice notice) {
    // Taken first: whatever runs below may change errno.
    int lastError = errno;
    CTraceFile& trace = CTraceFile::Instance();
    try {
        std::rethrow_exception(error);
    } catch (const CWin32Exception& e) {
        trace.Write(kTraceLevel, "Unhandled Exception: %s", e.GetMessage().c_str());
        traceErrorCode(e);
    } catch (const std::exception& e) {
        trace.Write(kTraceLevel, "Unhandled Exception: %s", e.what());
        traceLastError(lastError);
    } catch (...) {
        trace.Write(kTraceLevel, "Unhandled Exception");
        traceLastError(lastError);
    }
    WriteEnvironmentReport();
    (notice != nullptr ? notice : noticeOnStderr)("Fatal Error, The Application will quit.",
                                                  "Skyvane");
    return 0;
}
