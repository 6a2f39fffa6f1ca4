// A small synchronous SMTP client over one TCP connection: greeting (EHLO, else HELO),
// AUTH LOGIN when a user name is set, and MAIL FROM / RCPT TO / DATA per message. Every
// reply and failure goes through virtual hooks; operations return 0 or the failing reply
// code, -1 when no usable reply came.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "base/stop_check.h"
#include "mail/mail_message.h"

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

    // Connects to host (a name or a dotted address), reads the greeting and says hello.
    bool Connect(const std::string& host);
    // Sends the message to its recipient and Cc and Bcc lists.
    int SendMail(CMailMessage& message);
    // QUIT while greeted, then closes the connection.
    void Disconnect();
    // Talks over an already connected socket, which it then owns (replies fed in by tests).
    void AdoptSocket(int socket);

    int SendCommand(const char* command);
    int SendHello();
    int Authenticate();
    int SendMailFrom(const std::string& address);
    int SendRcptTo(const std::string& address);
    int SendData(CMailMessage& message);
    int SendQuit();

    bool tryEhlo = true;
    unsigned timeoutSeconds = 30;
    // Asked while waiting for the server; true ends the operation within a quarter second.
    StopCheck stop;
    // Host byte order here.
    std::uint16_t port = 25;
    std::string authUser;
    std::string authPassword;

    const std::string& LastResponse() const { return m_lastResponse; }
    // What happened when the last command got no usable reply: the server closed the
    // connection, did not answer in time, or the stop check ended the wait; "" otherwise.
    const std::string& LastFailure() const { return m_failure; }
    bool IsConnected() const { return m_connected; }
    bool IsEsmtp() const { return m_esmtp; }

  protected:
    void ReportError(int code);

  private:
    bool SendAll(const char* data, size_t length);
    // Waits for the socket to become readable, in short slices so that a stop is seen.
    bool WaitReadable(std::chrono::steady_clock::time_point deadline);

    int m_socket = -1;
    std::string m_lastResponse;
    std::string m_failure;
    // The command a reply belongs to, for the failure text ("DATA" also for the message).
    std::string m_verb;
    bool m_connected = false;
    bool m_esmtp = false;
};
