// Ends a libcurl operation that was asked to stop, or whose current wait (for the connection, a
// reply, a handshake, bytes of a transfer) lasted longer than that wait's limit; a slow but
// steady transfer goes on.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstdint>

#include "base/stop_check.h"

class CTransferWatch {
  public:
    enum class Ending { None, Stopped, Stalled };

    CTransferWatch(StopCheck stop, int limitSeconds)
        : m_stop(std::move(stop)), m_limitSeconds(limitSeconds) {}

    // Before each operation.
    void Restart() {
        m_ending = Ending::None;
        m_moved = 0;
        Touch();
    }
    // Something moved: a command went out or a reply came in.
    void Touch() { m_lastActivity = std::chrono::steady_clock::now(); }
    // A new wait begins, with a limit of its own.
    void Wait(int limitSeconds) {
        m_limitSeconds = limitSeconds;
        Touch();
    }
    int LimitSeconds() const { return m_limitSeconds; }
    Ending GetEnding() const { return m_ending; }

    // Bytes arriving on this connection, or taken by the server, count as movement: for
    // protocols whose replies libcurl does not show.
    void WatchSocket(curl_socket_t socket);
    // Bytes the server sent on the watched connection so far.
    std::uint64_t BytesReceived() const { return m_received; }

    // Hands itself to the handle as its progress callback.
    void Attach(CURL* curl) {
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CTransferWatch::OnProgress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    }

  private:
    static int OnProgress(void* self, curl_off_t, curl_off_t downloaded, curl_off_t,
                          curl_off_t uploaded);
    void ReadSocket();

    StopCheck m_stop;
    int m_limitSeconds;
    Ending m_ending = Ending::None;
    std::chrono::steady_clock::time_point m_lastActivity;
    curl_off_t m_moved = 0;
    curl_socket_t m_socket = CURL_SOCKET_BAD;
    std::uint64_t m_received = 0;
    std::uint64_t m_acked = 0;
};
