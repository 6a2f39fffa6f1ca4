// A small synchronous SMTP client over one TCP connection: greeting (EHLO, else HELO), TLS
// (from the start, or by STARTTLS whenever offered), AUTH LOGIN or PLAIN when a user name is
// set, and MAIL FROM / RCPT TO / DATA per message. Every reply and failure goes through virtual
// hooks; operations return 0 or the failing reply code, -1 when no usable reply came.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "base/stop_check.h"
#include "mail/mail_message.h"
#include "mail/tls_channel.h"

class CSmtp {
  public:
    CSmtp();
    CSmtp(const CSmtp&) = delete;
    CSmtp& operator=(const CSmtp&) = delete;
    // Disconnects.
    virtual ~CSmtp();

    // A failure the caller may overrule or only note; the result counts only after 535.
    virtual int OnWarning(int code, const std::string& response);
    // A failure that ends the current operation.
    virtual int OnError(int code, const std::string& response);
    // After every reply with a code; command is null for the greeting.
    virtual void OnResponse(const char* command, int code, const std::string& response);
    // While a command longer than 1,024 bytes is sent; false aborts the send.
    virtual bool OnProgress(const char* data, int sent, int total);

    // Connects to host (a name, an IPv4 or an IPv6 address; every address of a name in turn),
    // reads the greeting, says hello and logs in; the server's certificate must name host.
    bool Connect(const std::string& host);
    // Sends the message to its recipient and Cc and Bcc lists.
    int SendMail(CMailMessage& message);
    // QUIT while greeted, then closes the connection.
    void Disconnect();
    // Talks over an already connected socket, which it then owns (replies fed in by tests).
    void AdoptSocket(int socket);

    int SendCommand(const char* command);
    // EHLO (else HELO); STARTTLS and EHLO again when offered; then Authenticate.
    int SendHello();
    // With a user name: AUTH LOGIN, or PLAIN where the server offers no LOGIN, and only over
    // TLS (unless allowPlainLogin) and when the server offers AUTH; anything else is an error
    // before a credential is sent.
    int Authenticate();
    int SendMailFrom(const std::string& address);
    int SendRcptTo(const std::string& address);
    int SendData(CMailMessage& message);
    int SendQuit();

    bool tryEhlo = true;
    // TLS from the first byte ("smtps://"); without it, TLS starts when the server offers it.
    bool implicitTls = false;
    unsigned timeoutSeconds = 30;
    // Asked while waiting for the server; true ends the operation within a quarter second.
    StopCheck stop;
    // Host byte order here.
    std::uint16_t port = 25;
    std::string authUser;
    std::string authPassword;
    // The user's explicit choice to log in where the server offers no TLS.
    bool allowPlainLogin = false;

    const std::string& LastResponse() const { return m_lastResponse; }
    // What happened when the last command got no usable reply: the server closed the
    // connection, did not answer in time, TLS could not be set up, or the stop check ended the
    // wait; "" otherwise.
    const std::string& LastFailure() const { return m_failure; }
    bool IsConnected() const { return m_connected; }
    bool IsEsmtp() const { return m_esmtp; }
    // TLS is on, from the start or after STARTTLS.
    bool IsEncrypted() const { return m_tls.IsActive(); }

  protected:
    void ReportError(int code);
    void ReportError(int code, const std::string& text);

  private:
    using Deadline = std::chrono::steady_clock::time_point;

    // One read or write that does not wait, plain or through TLS: the byte count, 0 when the
    // connection is gone, -1 when it must first wait for events (POLLIN or POLLOUT).
    ssize_t ReadSome(char* data, size_t size, short& events);
    ssize_t WriteSome(const char* data, size_t size, short& events);
    // Reads what came by deadline: the byte count, 0 when the connection is gone, -1 when the
    // wait failed (LastFailure says why).
    ssize_t Receive(char* data, size_t size, Deadline deadline);
    // False when the server stopped taking data for the timeout, or on a stop.
    bool SendAll(const char* data, size_t length);
    // Waits for the socket to be ready for events, in short slices so that a stop is seen.
    bool Await(short events, Deadline deadline, bool sending);
    // Drops what the server said before a command: it belongs to no reply of ours.
    void Drain();
    // The TLS handshake within the timeout; on false LastFailure says why.
    bool Handshake();
    // STARTTLS and the handshake; any failure is reported, and nothing more may be sent.
    int StartTls();
    std::string SilenceText() const;
    std::string ClosedText() const;
    // The reply, or for AUTH or MAIL FROM refused by a server that wants TLS but did not offer
    // STARTTLS, the advice to use smtps://.
    std::string RefusalText(int code) const;
    // One AUTH exchange with the chosen mechanism: 235 when logged in, else the last code.
    int AuthLogin();
    int AuthPlain();

    int m_socket = -1;
    CTlsChannel m_tls;
    std::string m_host;
    std::string m_lastResponse;
    std::string m_failure;
    // The command a reply belongs to, for the failure text ("DATA" also for the message).
    std::string m_verb;
    bool m_connected = false;
    bool m_esmtp = false;
    bool m_offeredStartTls = false;
    // The mechanisms of the last EHLO's AUTH line, upper case, one blank apart.
    std::string m_authMechanisms;
    // The last wait ran out of time.
    bool m_timedOut = false;
};
