// Ends a libcurl operation that was asked to stop, or that moved nothing (no reply, no command,
// no bytes) for too long; a slow but steady transfer goes on.
#pragma once

#include <curl/curl.h>

#include <chrono>

#include "base/stop_check.h"

class CTransferWatch {
  public:
    enum class Ending { None, Stopped, Stalled };

    CTransferWatch(StopCheck stop, int stallSeconds)
        : m_stop(std::move(stop)), m_stallSeconds(stallSeconds) {}

    // Before each operation.
    void Restart() {
        m_ending = Ending::None;
        m_moved = 0;
        Touch();
    }
    // Something moved: a command went out or a reply came in.
    void Touch() { m_lastActivity = std::chrono::steady_clock::now(); }
    Ending GetEnding() const { return m_ending; }

    // Hands itself to the handle as its progress callback.
    void Attach(CURL* curl) {
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CTransferWatch::OnProgress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    }

  private:
    static int OnProgress(void* self, curl_off_t, curl_off_t downloaded, curl_off_t,
                          curl_off_t uploaded) {
        auto* watch = static_cast<CTransferWatch*>(self);
        if (watch->m_stop && watch->m_stop()) {
            watch->m_ending = Ending::Stopped;
            return 1;
        }
        if (downloaded + uploaded != watch->m_moved) {
            watch->m_moved = downloaded + uploaded;
            watch->Touch();
        }
        if (std::chrono::steady_clock::now() - watch->m_lastActivity >=
            std::chrono::seconds(watch->m_stallSeconds)) {
            watch->m_ending = Ending::Stalled;
            return 1;
        }
        return 0;
    }

    StopCheck m_stop;
    int m_stallSeconds;
    Ending m_ending = Ending::None;
    std::chrono::steady_clock::time_point m_lastActivity;
    curl_off_t m_moved = 0;
};
