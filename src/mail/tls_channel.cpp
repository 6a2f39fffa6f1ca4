#include "mail/tls_channel.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>
#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <cstring>

namespace {

// OpenSSL writes to the socket without MSG_NOSIGNAL, and a write to a connection the server
// has closed raises SIGPIPE, which would end the program: it is held back and dropped.
class CQuietPipe {
  public:
    CQuietPipe() {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_previous);
    }
    ~CQuietPipe() {
        sigset_t pending;
        sigpending(&pending);
        if (!m_wasPending && sigismember(&pending, SIGPIPE) == 1) {
            timespec none{};
            sigtimedwait(&m_pipe, nullptr, &none);
        }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    CQuietPipe(const CQuietPipe&) = delete;
    CQuietPipe& operator=(const CQuietPipe&) = delete;

  private:
    sigset_t m_pipe;
    sigset_t m_previous;
    bool m_wasPending = false;
};

// OpenSSL's reason for the last failure, else the socket's.
std::string lastReason(int socketError) {
    unsigned long error = ERR_peek_last_error();
    const char* reason = error != 0 ? ERR_reason_error_string(error) : nullptr;
    if (reason != nullptr) {
        return reason;
    }
    return socketError != 0 ? std::strerror(socketError) : "connection closed";
}

bool isAddress(const std::string& host) {
    unsigned char address[16];
    return inet_pton(AF_INET, host.c_str(), address) == 1 ||
           inet_pton(AF_INET6, host.c_str(), address) == 1;
}

}  // namespace

CTlsChannel::~CTlsChannel() {
    End();
}

bool CTlsChannel::Begin(int socket, const std::string& host) {
    End();
    ERR_clear_error();
    m_refused = false;
    m_failure.clear();
    m_context = SSL_CTX_new(TLS_client_method());
    // The system's store, with SSL_CERT_FILE and SSL_CERT_DIR in place of its file and folder
    // where they are set: the certificates the FTP connections trust too.
    bool ready = m_context != nullptr && SSL_CTX_set_default_verify_paths(m_context) == 1;
    if (ready) {
        SSL_CTX_set_verify(m_context, SSL_VERIFY_PEER, nullptr);
        m_ssl = SSL_new(m_context);
        ready = m_ssl != nullptr && SSL_set_fd(m_ssl, socket) == 1;
    }
    // An address is checked as such; a name also goes out as SNI for servers with many names.
    if (ready && isAddress(host)) {
        ready = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(m_ssl), host.c_str()) == 1;
    } else if (ready) {
        ready = SSL_set_tlsext_host_name(m_ssl, host.c_str()) == 1 &&
                SSL_set1_host(m_ssl, host.c_str()) == 1;
    }
    if (!ready) {
        m_failure = lastReason(0);
        End();
    }
    return ready;
}

CTlsChannel::Step CTlsChannel::Handshake() {
    CQuietPipe quiet;
    ERR_clear_error();
    errno = 0;
    int result = SSL_connect(m_ssl);
    if (result == 1) {
        m_established = true;
        return Step::Done;
    }
    Step step = Outcome(result);
    long verified = SSL_get_verify_result(m_ssl);
    if (step == Step::Failed && verified != X509_V_OK) {
        m_refused = true;
        m_failure = X509_verify_cert_error_string(verified);
    }
    return step;
}

CTlsChannel::Step CTlsChannel::Read(char* data, size_t size, size_t& moved) {
    // A read may also write, as TLS answers some records of the server.
    CQuietPipe quiet;
    ERR_clear_error();
    errno = 0;
    int result = SSL_read_ex(m_ssl, data, size, &moved);
    return result == 1 ? Step::Done : Outcome(result);
}

CTlsChannel::Step CTlsChannel::Write(const char* data, size_t size, size_t& moved) {
    CQuietPipe quiet;
    ERR_clear_error();
    errno = 0;
    int result = SSL_write_ex(m_ssl, data, size, &moved);
    return result == 1 ? Step::Done : Outcome(result);
}

void CTlsChannel::End() {
    if (m_ssl != nullptr) {
        // After a fatal error OpenSSL must not be asked to shut down.
        if (m_established && !m_broken) {
            CQuietPipe quiet;
            SSL_shutdown(m_ssl);
        }
        SSL_free(m_ssl);
        m_ssl = nullptr;
    }
    SSL_CTX_free(m_context);
    m_context = nullptr;
    m_established = false;
    m_broken = false;
    ERR_clear_error();
}

CTlsChannel::Step CTlsChannel::Outcome(int result) {
    int socketError = errno;
    switch (SSL_get_error(m_ssl, result)) {
        case SSL_ERROR_WANT_READ:
            return Step::WantRead;
        case SSL_ERROR_WANT_WRITE:
            return Step::WantWrite;
        default:
            m_broken = true;
            m_failure = lastReason(socketError);
            return Step::Failed;
    }
}
