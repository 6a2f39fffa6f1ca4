// The client side of a TLS session (OpenSSL) over a connected non-blocking socket: the
// handshake with the certificate and host name checks, then reads and writes that say what to
// wait for instead of blocking.
#pragma once

#include <cstddef>
#include <string>

struct ssl_st;
struct ssl_ctx_st;

class CTlsChannel {
  public:
    // What a step came to; on the two waits, the socket must become readable or writable
    // before the same step is tried again.
    enum class Step { Done, WantRead, WantWrite, Failed };

    CTlsChannel() = default;
    CTlsChannel(const CTlsChannel&) = delete;
    CTlsChannel& operator=(const CTlsChannel&) = delete;
    ~CTlsChannel();

    // Sets up a session on socket whose certificate must be trusted and name host (a name or
    // a dotted address); false when OpenSSL cannot, with Failure() saying why.
    bool Begin(int socket, const std::string& host);
    Step Handshake();
    // On Done, moved holds the byte count, at least one.
    Step Read(char* data, size_t size, size_t& moved);
    Step Write(const char* data, size_t size, size_t& moved);
    // Says goodbye to the server if that needs no wait, and drops the session.
    void End();

    bool IsActive() const { return m_ssl != nullptr; }
    // Why Begin or the handshake failed: OpenSSL's reason, or the certificate check's
    // ("self-signed certificate") when CertificateRefused().
    const std::string& Failure() const { return m_failure; }
    bool CertificateRefused() const { return m_refused; }

  private:
    Step Outcome(int result);

    ssl_ctx_st* m_context = nullptr;
    ssl_st* m_ssl = nullptr;
    bool m_established = false;
    bool m_broken = false;
    bool m_refused = false;
    std::string m_failure;
};
