#include "net/transfer_watch.h"

#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>

void CTransferWatch::WatchSocket(curl_socket_t socket) {
    m_socket = socket;
    m_received = 0;
    m_acked = 0;
}

void CTransferWatch::ReadSocket() {
    tcp_info info{};
    socklen_t size = sizeof info;
    if (m_socket == CURL_SOCKET_BAD ||
        getsockopt(m_socket, IPPROTO_TCP, TCP_INFO, &info, &size) != 0) {
        return;
    }
    if (info.tcpi_bytes_received != m_received || info.tcpi_bytes_acked != m_acked) {
        m_received = info.tcpi_bytes_received;
        m_acked = info.tcpi_bytes_acked;
        Touch();
    }
}

int CTransferWatch::OnProgress(void* self, curl_off_t, curl_off_t downloaded, curl_off_t,
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
    watch->ReadSocket();
    if (std::chrono::steady_clock::now() - watch->m_lastActivity >=
        std::chrono::seconds(watch->m_limitSeconds)) {
        watch->m_ending = Ending::Stalled;
        return 1;
    }
    return 0;
}
