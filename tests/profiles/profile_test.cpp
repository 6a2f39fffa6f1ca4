#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <thread>

#include "base/app_message.h"
#include "base/settings.h"
#include "profiles/profile.h"
#include "support/recording_view.h"
#include "support/smtp_servers.h"
#include "support/test_files.h"
#include "weather/weather_data.h"

namespace {

using namespace std::chrono;

class ProfileTest : public testing::Test {
  protected:
    void SetUp() override {
        CSettings::Instance().SetLangID(1033);
        Clock::SetFake(Clock::TimePoint(seconds(1796558400)));
    }
    void TearDown() override { Clock::UseSystem(); }
    // One schedule tick, as the timer would deliver it.
    static std::string tick(CProfile& profile) {
        const_cast<CProfileSchedule&>(profile.GetSchedule()).Tick();
        return profile.GetStatusText();
    }
};

TEST_F(ProfileTest, NewProfileIsDeactivated) {
    CProfile profile("Banner", nullptr);
    EXPECT_EQ(profile.GetName(), "Banner");
    EXPECT_EQ(profile.GetState(), ExportState::Deactivated);
    EXPECT_FALSE(profile.GetActive());
    EXPECT_EQ(profile.GetInterval(), 1);
    EXPECT_EQ(profile.GetExportType(), ExportType::Ftp);
    EXPECT_EQ(profile.GetConnectionType(), ConnectionType::Direct);
    EXPECT_EQ(profile.GetServerName(), "");
    EXPECT_EQ(profile.GetLastStatus(), "");
    EXPECT_EQ(profile.GetFirstStartDateTime(), 1796558400);
    EXPECT_EQ(profile.GetStatusText(), "Deactivated");
    EXPECT_FALSE(profile.GetSchedule().IsRunning());
    EXPECT_EQ(profile.GetDrawing()->GetProfile(), &profile);

    profile.SetLastStartTime("08:15:00");
    EXPECT_EQ(profile.GetLastStartTime(), "08:15:00");
    profile.SetLastStartTime("");
    EXPECT_EQ(profile.GetLastStartTime(), FormatTimeOfDay(Clock::Now()));
    EXPECT_NE(profile.GetLastStartTime().find("00:00"), std::string::npos);  // 00:00:00 UTC
}

TEST_F(ProfileTest, ActivationAndIntervalSetTheCountdown) {
    CProfile profile("Overview", nullptr);
    profile.SetFirstStartDateTime(Clock::NowSeconds() + 90);
    profile.SetActive(true);
    EXPECT_EQ(profile.GetCountdown(), 91);
    EXPECT_TRUE(profile.GetSchedule().IsRunning());
    EXPECT_EQ(profile.GetState(), ExportState::Waiting);

    profile.SetFirstStartDateTime(Clock::NowSeconds() - 3600);
    profile.SetActive(true);
    EXPECT_EQ(profile.GetCountdown(), 1);
    profile.SetInterval(15);
    EXPECT_EQ(profile.GetCountdown(), 900);
    EXPECT_EQ(tick(profile), "Waiting (0:00:14:59)");
    EXPECT_EQ(tick(profile), "Waiting (0:00:14:58)");

    profile.SetActive(false);
    EXPECT_FALSE(profile.GetSchedule().IsRunning());
    EXPECT_EQ(profile.GetStatusText(), "Deactivated");
    profile.SetActive(true);
    profile.SetSuspended(true);
    EXPECT_FALSE(profile.GetSchedule().IsRunning());
    // A suspended profile's status text no longer changes.
    std::string before = profile.GetStatusText();
    tick(profile);
    EXPECT_EQ(profile.GetStatusText(), before);
}

TEST_F(ProfileTest, TheCycleOfOneExport) {
    CProfile profile("Cycle", nullptr);
    profile.SetInterval(15);
    profile.SetActive(true);
    // Suspended, so that reaching zero queues nothing: the test plays the worker's part.
    profile.SetSuspended(true);
    profile.SetState(ExportState::Waiting);
    profile.SetCountdown(1);
    tick(profile);
    EXPECT_EQ(profile.GetState(), ExportState::Queued);
    EXPECT_EQ(FormatStatusText(148, profile.GetCountdown()), "Queued (0:00:00:00)");
    tick(profile);
    EXPECT_EQ(profile.GetCountdown(), 1);
    profile.SetState(ExportState::Running);
    tick(profile);
    EXPECT_EQ(FormatStatusText(150, profile.GetCountdown()), "Running (0:00:00:02)");
    profile.SetState(ExportState::Finished);
    tick(profile);
    // The wait runs from the end of the export.
    EXPECT_EQ(FormatStatusText(162, profile.GetCountdown()), "Finished (0:00:15:00)");
    EXPECT_EQ(profile.GetState(), ExportState::Waiting);
    EXPECT_EQ(FormatStatusText(149, 90061), "Waiting (1:01:01:01)");
}

TEST_F(ProfileTest, AFailedExportIsRecordedWithItsText) {
    QTemporaryDir dir;
    std::string weather = dir.filePath("currdat.lst").toStdString();
    writeFile(weather, "[time]\nlast_actualisation=4005556484\n");
    CSettings::Instance().SetWeatherFilePath(weather);
    RecordingView view;
    CProfile profile("Export", &view);
    profile.SetActive(true);
    profile.SetState(ExportState::Running);
    profile.Execute(nullptr);
    EXPECT_EQ(profile.GetState(), ExportState::Finished);
    EXPECT_EQ(profile.GetLastStatus(), "Error");
    EXPECT_EQ(profile.GetLastError(), "The FTP target filename is empty");
    EXPECT_FALSE(profile.GetLastStartTime().empty());

    CSettings::Instance().SetWeatherFilePath(dir.filePath("missing.lst").toStdString());
    profile.Execute(nullptr);
    EXPECT_EQ(profile.GetLastError().rfind("The weather data file " +
                                               dir.filePath("missing.lst").toStdString() +
                                               " does not exist.",
                                           0),
              0u);

    QCoreApplication::processEvents();
    std::vector<unsigned> exportMessages;
    for (unsigned message : view.messages) {
        if (message != kProfileStatus) {
            exportMessages.push_back(message);
        }
    }
    EXPECT_EQ(exportMessages, (std::vector<unsigned>{kExportStarted, kExportFailed, kExportStarted,
                                                     kExportFailed}));
}

TEST_F(ProfileTest, AnImageIsInTheQueueAtMostOnceAndOutlivesItsExport) {
    QTemporaryDir dir;
    std::string weather = dir.filePath("currdat.lst").toStdString();
    writeFile(weather, "[time]\nlast_actualisation=4005556484\n");
    CSettings::Instance().SetWeatherFilePath(weather);
    // A server that takes its time to greet and then hangs up: the export runs a while.
    ScriptedSmtpServer server({{"", {}, true, 400}});
    RecordingView view;
    auto profile = std::make_unique<CProfile>("Once", &view);
    profile->SetExportType(ExportType::Email);
    profile->SetSmtpServer("127.0.0.1:" + std::to_string(server.Port()));
    profile->SetSenderName("Station");
    profile->SetSenderEmail("station@example.org");
    profile->SetRecipients("alice@example.org");
    profile->SetInterval(2);
    profile->SetActive(true);
    tick(*profile);  // countdown 1 reaches 0: queued
    for (int i = 0; i < 200 && !profile->IsRunning(); ++i) {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(profile->IsRunning());
    // Ticks while it is queued or running only count; nothing is made up afterwards.
    for (int i = 0; i < 5; ++i) {
        tick(*profile);
    }
    // Destroying it now waits for the export instead of leaving it on freed memory.
    profile.reset();
    QCoreApplication::processEvents();
    auto count = [&](unsigned message) {
        return std::count(view.messages.begin(), view.messages.end(), message);
    };
    EXPECT_EQ(count(kExportStarted), 1);
    EXPECT_EQ(count(kExportFailed), 1);
}

TEST_F(ProfileTest, ShutdownEndsARunningExportAndRecordsItAsFailed) {
    QTemporaryDir dir;
    std::string weather = dir.filePath("currdat.lst").toStdString();
    writeFile(weather, "[time]\nlast_actualisation=4005556484\n");
    CSettings::Instance().SetWeatherFilePath(weather);
    // Greets, then never answers: the export would wait for its full time-out.
    ScriptedSmtpServer server(std::vector<ScriptStep>{{"", {"220 ready\r\n"}}});
    CProfile profile("Stuck", nullptr);
    profile.SetExportType(ExportType::Email);
    profile.SetSmtpServer("127.0.0.1:" + std::to_string(server.Port()));
    profile.SetSenderName("Station");
    profile.SetSenderEmail("station@example.org");
    profile.SetRecipients("alice@example.org");
    CWorkQueue queue;
    ASSERT_TRUE(queue.Start(1));
    queue.Insert(&profile);
    for (int i = 0; i < 400 && !profile.IsRunning(); ++i) {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(profile.IsRunning());
    std::this_thread::sleep_for(300ms);  // into the wait for the answer to EHLO
    auto started = steady_clock::now();
    queue.Shutdown();
    EXPECT_LT(steady_clock::now() - started, seconds(3));
    EXPECT_EQ(profile.GetLastStatus(), "Error");
    EXPECT_EQ(profile.GetLastError(),
              "The export was stopped before it finished, because Skyvane was closing.");
    EXPECT_FALSE(profile.GetLastFinishTime().empty());
}

TEST(Schedule, TicksLandOnWholeSecondsOfTheRealClock) {
    EXPECT_EQ(CSchedule::DelayToNextTick(1000, Clock::TimePoint(milliseconds(1796558400250))), 750);
    EXPECT_EQ(CSchedule::DelayToNextTick(1000, Clock::TimePoint(milliseconds(1796558400000))),
              1000);

    struct Recorder : CSchedule {
        std::vector<int> milliseconds;
        void Tick() override {
            auto now = system_clock::now().time_since_epoch();
            milliseconds.push_back(
                static_cast<int>(duration_cast<std::chrono::milliseconds>(now).count() % 1000));
        }
    } schedule;
    ASSERT_TRUE(schedule.Start());
    EXPECT_EQ(CSchedule::RunningSchedules().count(schedule.GetTimerId()), 1u);
    QElapsedTimer timer;
    timer.start();
    while (schedule.milliseconds.size() < 2 && timer.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    ASSERT_EQ(schedule.milliseconds.size(), 2u);
    for (int ms : schedule.milliseconds) {
        EXPECT_LT(ms, 200) << "tick " << ms << " ms after the second";
    }
    unsigned id = schedule.GetTimerId();
    EXPECT_TRUE(schedule.Stop());
    EXPECT_FALSE(schedule.Stop());
    CSchedule::OnTimer(id);  // a stale id is ignored
    EXPECT_EQ(schedule.milliseconds.size(), 2u);
}

}  // namespace
