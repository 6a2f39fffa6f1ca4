#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <cerrno>
#include <sstream>

#include "diag/exceptions.h"
#include "diag/fatal_error.h"
#include "diag/file_info.h"
#include "diag/system_version.h"
#include "diag/trace_file.h"
#include "support/test_files.h"

namespace {

using testing::ContainsRegex;
using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;

std::string g_noticeText;
std::string g_noticeCaption;

void recordNotice(const char* text, const char* caption) {
    g_noticeText = text;
    g_noticeCaption = caption;
}

// The trace file text that reporting this exception leaves behind; errno is set first.
std::string reportOf(std::exception_ptr error, int lastError) {
    QTemporaryDir dir;
    CTraceFile& trace = CTraceFile::Instance();
    trace.SetName((dir.path().toStdString() + "/Skyvane").c_str());
    trace.SetThreshold(10);
    g_noticeText.clear();
    errno = lastError;
    EXPECT_EQ(ReportFatalError(error, &recordNotice), 0);
    std::string text = readFile(trace.CurrentFileName());
    trace.SetThreshold(0);
    trace.SetName(nullptr);
    return text;
}

// The trace lines without their time prefix.
std::vector<std::string> messagesOf(const std::string& report) {
    std::vector<std::string> lines;
    std::istringstream in(report);
    for (std::string line; std::getline(in, line);) {
        EXPECT_EQ(line.back(), '\r');
        lines.push_back(line.substr(line.find(": ") + 2, line.size() - line.find(": ") - 3));
    }
    return lines;
}

}  // namespace

TEST(FatalError, UnknownExceptionWithoutSystemError) {
    std::vector<std::string> lines = messagesOf(reportOf(std::make_exception_ptr(42), 0));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "Unhandled Exception");
    EXPECT_EQ(lines[1], "Stack Trace Start");
    EXPECT_THAT(lines[2], StartsWith("Windows Version: "));
    EXPECT_EQ(lines[3], "File,Created,Modified,Version,Size,FullName,HModule");
    EXPECT_THAT(lines[4], StartsWith("libQt6"));
    EXPECT_THAT(lines[5], StartsWith("libcurl.so.4,"));
    EXPECT_THAT(lines[6], StartsWith("libpng16.so.16,"));
    EXPECT_THAT(lines[7], StartsWith("libjpeg.so.62,"));
    EXPECT_EQ(lines[8], "Stack Trace End");
    EXPECT_EQ(g_noticeText, "Fatal Error, The Application will quit.");
    EXPECT_EQ(g_noticeCaption, "Skyvane");
}

TEST(FatalError, RuntimeErrorAfterAFailedSystemCallCarriesTheSystemError) {
    std::string report = reportOf(
        std::make_exception_ptr(std::runtime_error("settings are broken: 100% sure")), ENOENT);
    std::vector<std::string> lines = messagesOf(report);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Unhandled Exception: settings are broken: 100% sure");
    EXPECT_EQ(lines[1], "Win32 ErrorCode: 2");
    EXPECT_EQ(lines[2], "Win32 ErrorMessage: No such file or directory");
    EXPECT_EQ(lines[3], "Stack Trace Start");

    lines = messagesOf(reportOf(std::make_exception_ptr(std::logic_error("bug")), 0));
    EXPECT_EQ(lines[0], "Unhandled Exception: bug");
    EXPECT_EQ(lines[1], "Stack Trace Start");

    lines = messagesOf(reportOf(std::make_exception_ptr(CWin32Exception(EACCES)), 0));
    EXPECT_EQ(lines[0], "Unhandled Exception: Permission denied");
    EXPECT_EQ(lines[1], "Win32 ErrorCode: 13");
    EXPECT_EQ(lines[2], "Stack Trace Start");
}

TEST(FatalError, EnvironmentDescribesTheSystemAndTheLoadedLibraries) {
    utsname name{};
    ASSERT_EQ(uname(&name), 0);
    std::string description = CWindowsVersion().GetDescription();
    EXPECT_THAT(description, StartsWith(std::string(name.sysname) + " "));
    EXPECT_THAT(description, ContainsRegex("^[A-Za-z]+ [0-9]+\\.[0-9]+\\.[0-9]+ : "));
    EXPECT_THAT(description, HasSubstr(name.release));

    EXPECT_EQ(CFileInfo("libnot-loaded.so.1").GetCsvLine(),
              "libnot-loaded.so.1,01/01/1970 00:00:00,01/01/1970 00:00:00,,0,,0");

    CFileInfo loaded("libstdc++.so.6");
    ASSERT_TRUE(loaded.IsFound());
    std::string line = loaded.GetCsvLine();
    EXPECT_THAT(line, ContainsRegex("^libstdc\\+\\+\\.so\\.6,[0-9/]+ [0-9:]+,[0-9/]+ [0-9:]+,"
                                    "6\\.[0-9]+\\.[0-9]+\\.0,[1-9][0-9]*,/[^,]+,[0-9a-f]+$"));
    EXPECT_THAT(line, Not(HasSubstr(",0$")));
}

TEST(Exceptions, CarryCodeAndSystemText) {
    CEx plain;
    EXPECT_EQ(plain.GetCode(), 0);
    EXPECT_EQ(plain.GetMessage(), "");
    CEx copy = CEx(5, "five");
    EXPECT_STREQ(copy.what(), "five");

    errno = ENOSPC;
    CWin32Exception fromErrno;
    EXPECT_EQ(fromErrno.GetCode(), ENOSPC);
    EXPECT_EQ(fromErrno.GetMessage(), "No space left on device");
    EXPECT_STREQ(fromErrno.what(), "No space left on device");
}
