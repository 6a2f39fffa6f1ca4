#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <filesystem>

#include "base/clock.h"
#include "diag/trace_file.h"
#include "support/test_files.h"

namespace {

using namespace std::chrono;

Clock::TimePoint at(int year, int month, int day, int hour, int minute, int second, int ms) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return system_clock::from_time_t(timegm(&t)) + milliseconds(ms);
}

class TraceFileTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_prefix = m_dir.path().toStdString() + "/Skyvane";
        CTraceFile::Instance().SetName(m_prefix.c_str());
    }
    void TearDown() override {
        CTraceFile::Instance().SetThreshold(0);
        CTraceFile::Instance().SetName(nullptr);
        Clock::UseSystem();
    }
    size_t fileCount() const { return QDir(m_dir.path()).entryList(QDir::Files).size(); }

    QTemporaryDir m_dir;
    std::string m_prefix;
};

TEST_F(TraceFileTest, ThresholdDecidesWhatIsWrittenAndNoFileBeforeTheFirstLine) {
    CTraceFile& trace = CTraceFile::Instance();
    trace.SetThreshold(0);
    trace.Write(0, "dropped");
    trace.Write(10, "dropped");
    EXPECT_EQ(fileCount(), 0u);
    EXPECT_EQ(trace.CurrentFileName(), "");

    Clock::SetFake(at(2004, 6, 12, 9, 30, 15, 42));
    trace.SetThreshold(10);
    trace.Write(11, "above");
    EXPECT_EQ(fileCount(), 0u);
    trace.Write(10, "Stack Trace Start");
    trace.Write(3, "value %d%%", 5);

    char expectedName[64];
    std::snprintf(expectedName, sizeof expectedName, "_20040612_093015_%X.txt",
                  static_cast<unsigned>(getpid()));
    EXPECT_EQ(trace.CurrentFileName(), m_prefix + expectedName);
    EXPECT_EQ(readFile(trace.CurrentFileName()),
              "09:30:15_042_0: Stack Trace Start\r\n09:30:15_042_0: value 5%\r\n");
}

TEST_F(TraceFileTest, EachDayGetsItsOwnFile) {
    CTraceFile& trace = CTraceFile::Instance();
    trace.SetThreshold(10);
    Clock::SetFake(at(2026, 12, 6, 23, 59, 59, 900));
    trace.Write(10, "first");
    trace.Write(10, "second");
    std::string firstFile = trace.CurrentFileName();
    Clock::Advance(milliseconds(200));
    trace.Write(10, "after midnight");
    std::string secondFile = trace.CurrentFileName();

    EXPECT_NE(firstFile, secondFile);
    EXPECT_NE(secondFile.find("_20261207_000000_"), std::string::npos);
    EXPECT_EQ(readFile(firstFile), "23:59:59_900_0: first\r\n23:59:59_900_0: second\r\n");
    EXPECT_EQ(readFile(secondFile), "00:00:00_100_0: after midnight\r\n");
}

TEST_F(TraceFileTest, NullPrefixNamesFilesInTheCurrentDirectory) {
    auto previous = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.path().toStdString());
    CTraceFile& trace = CTraceFile::Instance();
    trace.SetName(nullptr);
    trace.SetThreshold(10);
    Clock::SetFake(at(2026, 1, 2, 3, 4, 5, 6));
    trace.Write(10, "line");
    std::string name = trace.CurrentFileName();
    std::filesystem::current_path(previous);
    EXPECT_EQ(name.substr(0, 17), "_20260102_030405_");
    EXPECT_TRUE(std::filesystem::exists(m_dir.path().toStdString() + "/" + name));
}

TEST_F(TraceFileTest, LongMessagesAreCutAtTheirLimit) {
    CTraceFile& trace = CTraceFile::Instance();
    trace.SetThreshold(10);
    std::string huge(40000, 'q');
    trace.Write(10, "%s", huge.c_str());
    std::string text = readFile(trace.CurrentFileName());
    EXPECT_EQ(text.size(), 16 + 32768 + 2u);  // "hh:mm:ss_mmm_0: " is 16
    EXPECT_EQ(text.substr(text.size() - 3), "q\r\n");
}

}  // namespace
