#include "weather/weather_file_watcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <future>

#include "base/app_message.h"

namespace {

// What counts as a change: a write in place, a finished file renamed over the old one, or the
// file gone (the window then says so).
constexpr uint32_t kWriteEvents =
    IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_MOVED_FROM;

// Waits up to timeout ms (-1: without limit) for fds; false when the stop event fired.
bool waitUnlessStopped(int stopEvent, int changes, int timeout, bool& changed) {
    pollfd fds[2] = {{stopEvent, POLLIN, 0}, {changes, POLLIN, 0}};
    int ready = poll(fds, changes >= 0 ? 2 : 1, timeout);
    if (ready < 0 || (fds[0].revents & POLLIN)) {
        return false;
    }
    changed = changes >= 0 && (fds[1].revents & POLLIN);
    return true;
}

void drain(int changes) {
    alignas(inotify_event) char buffer[4096];
    while (read(changes, buffer, sizeof buffer) > 0) {
    }
}

}  // namespace

bool CWeatherFileWatcher::Start(QObject* window, unsigned message, const std::string& directory) {
    Stop();
    m_window = window;
    m_message = message;
    m_directory = directory;
    m_stopEvent = eventfd(0, EFD_CLOEXEC);
    if (m_stopEvent < 0) {
        return false;
    }
    // Returns once the watch is armed, so that no write right after Start goes unseen.
    std::promise<void> armed;
    std::future<void> ready = armed.get_future();
    try {
        m_thread = std::thread(&CWeatherFileWatcher::Watch, this, std::move(armed));
    } catch (const std::system_error&) {
        close(m_stopEvent);
        m_stopEvent = -1;
        return false;
    }
    ready.wait();
    return true;
}

void CWeatherFileWatcher::Stop() {
    if (!m_thread.joinable()) {
        return;
    }
    uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(m_stopEvent, &one, sizeof one);
    m_thread.join();
    close(m_stopEvent);
    m_stopEvent = -1;
}

void CWeatherFileWatcher::Watch(std::promise<void> armed) {
    int changes = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    bool watching =
        changes >= 0 && inotify_add_watch(changes, m_directory.c_str(), kWriteEvents) >= 0;
    armed.set_value();
    if (!watching) {
        if (changes >= 0) {
            close(changes);
        }
        return;
    }
    bool changed = false;
    while (waitUnlessStopped(m_stopEvent, changes, -1, changed)) {
        if (!changed) {
            continue;
        }
        bool ignored = false;
        if (m_settleDelay > 0 && !waitUnlessStopped(m_stopEvent, -1, m_settleDelay, ignored)) {
            break;
        }
        // The writes of the settle time count as one.
        drain(changes);
        PostAppMessage(m_window, m_message, 0, nullptr);
    }
    close(changes);
}
