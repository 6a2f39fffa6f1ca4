#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include "base/app_message.h"
#include "support/recording_view.h"
#include "support/test_files.h"
#include "weather/weather_file_watcher.h"

namespace {

// Processes events until the window received count messages or ms passed.
void waitFor(RecordingView& window, size_t count, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (window.messages.size() < count && timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

TEST(WeatherFileWatcher, WritesPostOneMessageAfterTheSettleDelay) {
    QTemporaryDir dir;
    RecordingView window;
    CWeatherFileWatcher watcher;
    watcher.SetSettleDelay(300);
    ASSERT_TRUE(watcher.Start(&window, kWeatherFileChanged, dir.path().toStdString()));
    QElapsedTimer timer;
    timer.start();
    // A burst of writes within the settle time gives one message.
    for (int i = 0; i < 5; ++i) {
        writeFile(dir.filePath("currdat.lst").toStdString(), "[time]\n" + std::to_string(i));
    }
    waitFor(window, 1, 5000);
    EXPECT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages.back(), kWeatherFileChanged);
    EXPECT_GE(timer.elapsed(), 300);
    waitFor(window, 2, 600);
    EXPECT_EQ(window.messages.size(), 1u);

    // Stop ends the watch at once, even in the middle of the settle delay.
    watcher.SetSettleDelay(60000);
    ASSERT_TRUE(watcher.Start(&window, kWeatherFileChanged, dir.path().toStdString()));
    writeFile(dir.filePath("other.txt").toStdString(), "x");
    QThread::msleep(50);
    timer.restart();
    watcher.Stop();
    EXPECT_LT(timer.elapsed(), 1000);
}

TEST(WeatherFileWatcher, AMissingDirectoryIsSilent) {
    RecordingView window;
    CWeatherFileWatcher watcher;
    EXPECT_TRUE(watcher.Start(&window, kWeatherFileChanged, "/nonexistent/directory"));
    watcher.Stop();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.messages.empty());
}

}  // namespace
