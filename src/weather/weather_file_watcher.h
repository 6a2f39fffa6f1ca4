// Watches the weather file's directory and posts a message to a window whenever anything in
// it is written, after a settle delay so that a file being written is complete.
#pragma once

#include <QObject>
#include <future>
#include <string>
#include <thread>

class CWeatherFileWatcher {
  public:
    CWeatherFileWatcher() = default;
    CWeatherFileWatcher(const CWeatherFileWatcher&) = delete;
    CWeatherFileWatcher& operator=(const CWeatherFileWatcher&) = delete;
    ~CWeatherFileWatcher() { Stop(); }

    // Stops a running watch, then watches directory, posting message (both values 0) to window
    // after every write there; returns once the watch is armed. False when the watch thread
    // cannot be started; a directory that cannot be watched ends the thread silently.
    bool Start(QObject* window, unsigned message, const std::string& directory);

    // Ends the watch at once, also in the middle of the settle delay.
    void Stop();

    void SetSettleDelay(int milliseconds) { m_settleDelay = milliseconds; }

  private:
    void Watch(std::promise<void> armed);

    std::string m_directory;
    QObject* m_window = nullptr;
    int m_stopEvent = -1;
    int m_settleDelay = 0;
    unsigned m_message = 0;
    std::thread m_thread;
};
