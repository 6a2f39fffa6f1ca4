#include "mail/smtp.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <strings.h>
#include <chrono>
#include <cstring>
#include <string_view>

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "mail/base64.h"
#include "net/tls_trust.h"

namespace {

constexpr size_t kChunk = 1024;
constexpr size_t kReplyBuffer = 1024;

bool waitFor(int socket, short events, int timeoutMs) {
    pollfd fd{socket, events, 0};
    int ready;
    do {
        ready = poll(&fd, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 && (fd.revents & (events | POLLHUP | POLLERR));
}

// Connects within timeoutMs, so an unreachable server cannot hold the export queue; a stop
// ends the wait early. The socket stays non-blocking: every later wait is a poll that sees a
// stop, also inside TLS.
bool connectWithin(int socket, const sockaddr_in& address, int timeoutMs, const StopCheck& stop) {
    fcntl(socket, F_SETFL, fcntl(socket, F_GETFL, 0) | O_NONBLOCK);
    int result = connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (result != 0 && errno == EINPROGRESS) {
        bool ready = false;
        for (int waited = 0; !ready && waited < timeoutMs && !(stop && stop()); waited += 250) {
            ready = waitFor(socket, POLLOUT, std::min(250, timeoutMs - waited));
        }
        int error = 0;
        socklen_t length = sizeof error;
        getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length);
        result = ready && error == 0 ? 0 : -1;
    }
    return result == 0;
}

std::string hostName() {
    char name[64] = {};
    gethostname(name, 63);
    return name[0] != '\0' ? name : "localhost";
}

// What a TLS step came to, as ReadSome and WriteSome count.
ssize_t stepResult(CTlsChannel::Step step, size_t moved, short& events) {
    switch (step) {
        case CTlsChannel::Step::Done:
            return static_cast<ssize_t>(moved);
        case CTlsChannel::Step::WantRead:
            events = POLLIN;
            return -1;
        case CTlsChannel::Step::WantWrite:
            events = POLLOUT;
            return -1;
        case CTlsChannel::Step::Failed:
            break;
    }
    return 0;
}

// Whether a line of an EHLO reply names the extension.
bool offers(const std::string& reply, std::string_view extension) {
    size_t start = 0;
    while (start < reply.size()) {
        size_t end = std::min(reply.find('\n', start), reply.size());
        std::string_view line(reply.data() + start, end - start);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (line.size() >= 4) {
            std::string_view word = line.substr(4);
            word = word.substr(0, word.find(' '));
            if (word.size() == extension.size() &&
                strncasecmp(word.data(), extension.data(), word.size()) == 0) {
                return true;
            }
        }
        start = end + 1;
    }
    return false;
}

// A reason that goes into a sentence of its own: "%1." must not end in "..".
std::string withoutFinalStop(std::string text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

CSmtp::CSmtp() {
    if (servent* service = getservbyname("smtp", "tcp")) {
        port = ntohs(static_cast<std::uint16_t>(service->s_port));
    }
}

CSmtp::~CSmtp() {
    Disconnect();
}

int CSmtp::OnWarning(int, const std::string&) {
    return 0;
}
int CSmtp::OnError(int, const std::string&) {
    return 0;
}
void CSmtp::OnResponse(const char*, int, const std::string&) {}
bool CSmtp::OnProgress(const char*, int, int) {
    return true;
}

void CSmtp::ReportError(int code) {
    ReportError(code, code == -1 && !m_failure.empty() ? m_failure : RefusalText(code));
}

void CSmtp::ReportError(int code, const std::string& text) {
    if (code == -1) {
        m_connected = false;
    }
    OnError(code, text);
}

std::string CSmtp::RefusalText(int code) const {
    bool authOrMail = m_verb == "AUTH LOGIN" || m_verb == "MAIL FROM";
    // 538: encryption required for the authentication, in any words.
    if (authOrMail && code >= 500 && code < 600 && !m_tls.IsActive() && !m_offeredStartTls &&
        (code == 538 || MentionsTls(m_lastResponse))) {
        return LangString(kTextSmtpWantsTls, {m_lastResponse, m_host});
    }
    return m_lastResponse;
}

std::string CSmtp::SilenceText() const {
    std::string seconds = std::to_string(timeoutSeconds);
    return m_verb.empty() ? LangString(kTextNoGreeting, {seconds})
                          : LangString(kTextNoAnswer, {m_verb, seconds});
}

std::string CSmtp::ClosedText() const {
    return m_verb.empty() ? LangString(kTextClosedWithoutGreeting)
                          : LangString(kTextClosedAfter, {m_verb});
}

bool CSmtp::Await(short events, Deadline deadline, bool sending) {
    for (;;) {
        if (stop && stop()) {
            m_failure = LangString(kTextExportStopped);
            return false;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            m_timedOut = true;
            m_failure = sending ? LangString(kTextTransferStalled, {std::to_string(timeoutSeconds)})
                                : SilenceText();
            return false;
        }
        if (waitFor(m_socket, events, static_cast<int>(std::min<long>(left.count(), 250)))) {
            return true;
        }
    }
}

ssize_t CSmtp::ReadSome(char* data, size_t size, short& events) {
    if (m_tls.IsActive()) {
        size_t moved = 0;
        CTlsChannel::Step step = m_tls.Read(data, size, moved);
        return stepResult(step, moved, events);
    }
    ssize_t got = recv(m_socket, data, size, 0);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        events = POLLIN;
        return -1;
    }
    return std::max<ssize_t>(got, 0);
}

ssize_t CSmtp::WriteSome(const char* data, size_t size, short& events) {
    if (m_tls.IsActive()) {
        size_t moved = 0;
        CTlsChannel::Step step = m_tls.Write(data, size, moved);
        return stepResult(step, moved, events);
    }
    ssize_t written = send(m_socket, data, size, MSG_NOSIGNAL);
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        events = POLLOUT;
        return -1;
    }
    return std::max<ssize_t>(written, 0);
}

ssize_t CSmtp::Receive(char* data, size_t size, Deadline deadline) {
    for (;;) {
        short events = POLLIN;
        ssize_t got = ReadSome(data, size, events);
        if (got >= 0) {
            return got;
        }
        if (!Await(events, deadline, false)) {
            return -1;
        }
    }
}

void CSmtp::Drain() {
    char stray[kReplyBuffer];
    short events = 0;
    while (ReadSome(stray, sizeof stray, events) > 0) {
    }
}

bool CSmtp::SendAll(const char* data, size_t length) {
    size_t sent = 0;
    // A server that stops taking data gets the timeout for each piece, as for a reply.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (sent < length) {
        if (stop && stop()) {
            m_failure = LangString(kTextExportStopped);
            return false;
        }
        short events = POLLOUT;
        ssize_t written = WriteSome(data + sent, std::min(kChunk, length - sent), events);
        if (written == 0) {
            return false;
        }
        if (written < 0) {
            if (!Await(events, deadline, true)) {
                return false;
            }
            continue;
        }
        sent += static_cast<size_t>(written);
        deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
        if (length > kChunk &&
            !OnProgress(data, static_cast<int>(sent), static_cast<int>(length))) {
            return false;
        }
    }
    return true;
}

int CSmtp::SendCommand(const char* command) {
    char reply[kReplyBuffer] = {};
    m_failure.clear();
    m_timedOut = false;
    if (m_socket < 0) {
        return -1;
    }
    if (command != nullptr) {
        Drain();
        if (!SendAll(command, std::strlen(command))) {
            if (m_failure.empty()) {
                m_failure = ClosedText();
            }
            return -1;
        }
    }
    size_t received = 0;
    bool complete = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    // A reply longer than the buffer is an error, never an overflow.
    while (received < sizeof reply - 1) {
        ssize_t got = Receive(reply + received, sizeof reply - 1 - received, deadline);
        if (got <= 0) {
            if (got == 0) {
                m_failure = ClosedText();
            }
            break;
        }
        received += static_cast<size_t>(got);
        std::string_view text(reply, received);
        size_t lastFeed = text.rfind('\n');
        if (lastFeed == std::string_view::npos) {
            continue;
        }
        size_t lineEnd = lastFeed > 0 && text[lastFeed - 1] == '\r' ? lastFeed - 1 : lastFeed;
        size_t lineStart = text.rfind('\n', lineEnd == 0 ? 0 : lineEnd - 1);
        lineStart = lineStart == std::string_view::npos || lineStart >= lineEnd ? 0 : lineStart + 1;
        if (lineEnd - lineStart >= 4 && text[lineStart + 3] == '-') {
            continue;
        }
        m_lastResponse.assign(reply, lineEnd);
        complete = true;
        break;
    }
    if (!complete) {
        m_lastResponse.assign(reply, strnlen(reply, received));
        return -1;
    }
    int code = 0;
    for (size_t i = 0; i < 3 && i < m_lastResponse.size(); ++i) {
        char c = m_lastResponse[i];
        if (c < '0' || c > '9') {
            return -1;
        }
        code = code * 10 + (c - '0');
    }
    OnResponse(command, code, m_lastResponse);
    return code;
}

bool CSmtp::Connect(const std::string& host) {
    Disconnect();
    m_host = host;
    m_offeredStartTls = false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
            return false;
        }
        address.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
        freeaddrinfo(found);
    }
    m_socket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socket < 0) {
        return false;
    }
    if (!connectWithin(m_socket, address, static_cast<int>(timeoutSeconds) * 1000, stop)) {
        Disconnect();
        return false;
    }
    m_verb.clear();
    if (implicitTls && !Handshake()) {
        std::string text = m_failure;
        if (!m_tls.CertificateRefused()) {
            text = LangString(kTextTlsFailed, {host, withoutFinalStop(m_failure)});
            // OpenSSL's own failure, most likely a plain server's greeting read as TLS.
            if (!m_tls.Failure().empty()) {
                text += "\n" + LangString(kTextSmtpsHint);
            }
        }
        ReportError(-1, text);
        Disconnect();
        return false;
    }
    int code = SendCommand(nullptr);
    if (code != 220) {
        // A server that expects TLS from the start waits for it in silence.
        if (code == -1 && m_timedOut && !implicitTls) {
            m_failure += "\n" + LangString(kTextSmtpsGreetingHint);
        }
        ReportError(code);
        Disconnect();
        return false;
    }
    if (SendHello() != 0) {
        Disconnect();
        return false;
    }
    return true;
}

int CSmtp::SendHello() {
    std::string name = hostName().substr(0, 63);
    int code = -1;
    m_esmtp = false;
    if (tryEhlo) {
        m_verb = "EHLO";
        code = SendCommand(("EHLO " + name + "\r\n").c_str());
        m_esmtp = code == 250;
    }
    if (!m_esmtp) {
        m_verb = "HELO";
        code = SendCommand(("HELO " + name + "\r\n").c_str());
    }
    if (code != 250) {
        ReportError(code);
        return code;
    }
    m_offeredStartTls = m_esmtp && !m_tls.IsActive() && offers(m_lastResponse, "STARTTLS");
    if (m_offeredStartTls) {
        code = StartTls();
        if (code != 0) {
            return code;
        }
        // What the server offers may change once the connection is private.
        m_verb = "EHLO";
        code = SendCommand(("EHLO " + name + "\r\n").c_str());
        if (code != 250) {
            ReportError(code);
            return code;
        }
    }
    m_connected = true;
    if (m_esmtp) {
        Authenticate();
    }
    return 0;
}

bool CSmtp::Handshake() {
    m_failure.clear();
    if (!m_tls.Begin(m_socket, m_host)) {
        m_failure = m_tls.Failure();
        return false;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    for (;;) {
        CTlsChannel::Step step = m_tls.Handshake();
        if (step == CTlsChannel::Step::Done) {
            return true;
        }
        if (step == CTlsChannel::Step::Failed) {
            m_failure = m_tls.CertificateRefused() ? UntrustedCertificateText(m_tls.Failure())
                                                   : m_tls.Failure();
            return false;
        }
        bool reading = step == CTlsChannel::Step::WantRead;
        if (!Await(reading ? POLLIN : POLLOUT, deadline, !reading)) {
            return false;
        }
    }
}

int CSmtp::StartTls() {
    m_verb = "STARTTLS";
    int code = SendCommand("STARTTLS\r\n");
    if (code == 220 && Handshake()) {
        return 0;
    }
    std::string text = m_failure;
    if (code != 220 || !m_tls.CertificateRefused()) {
        std::string reason = code == 220 || code == -1 ? m_failure : m_lastResponse;
        text = LangString(kTextStartTlsFailed, {withoutFinalStop(reason)});
    }
    // Whatever state the connection is in, nothing more goes over it, not even QUIT.
    m_connected = false;
    code = code == 220 ? -1 : code;
    ReportError(code, text);
    return code;
}

int CSmtp::Authenticate() {
    for (;;) {
        if (authUser.empty()) {
            return 0;
        }
        m_verb = "AUTH LOGIN";
        int code = SendCommand("AUTH LOGIN\r\n");
        if (code != 334) {
            OnWarning(code, RefusalText(code));
            return code;
        }
        bool again = false;
        CBase64 coder;
        for (int prompts = 0; code == 334; ++prompts) {
            coder.Decode(m_lastResponse.size() > 4 ? m_lastResponse.c_str() + 4 : "");
            const char* prompt = reinterpret_cast<const char*>(coder.GetDecoded());
            std::string answer;
            // Servers word their prompts differently ("User Name"); LOGIN always asks for the
            // user name first and the password second.
            if (strcasecmp(prompt, "Username:") == 0 ||
                (prompts == 0 && strcasecmp(prompt, "Password:") != 0)) {
                answer = authUser;
            } else if (strcasecmp(prompt, "Password:") == 0 || prompts == 1) {
                answer = authPassword;
            } else {
                ReportError(334);
                return 334;
            }
            std::string line =
                CBase64::EncodeToString(reinterpret_cast<const unsigned char*>(answer.data()),
                                        answer.size()) +
                "\r\n";
            code = SendCommand(line.c_str());
            if (code == 535) {
                code = OnWarning(535, m_lastResponse);
                if (code == 0) {
                    code = 535;
                } else if (code == 1) {
                    again = true;
                    break;
                }
            }
        }
        if (again) {
            continue;
        }
        if (code == 235) {
            return 0;
        }
        ReportError(code);
        return code;
    }
}

int CSmtp::SendMailFrom(const std::string& address) {
    std::string line = "MAIL FROM: <" + HeaderSafe(address) + ">\r\n";
    m_verb = "MAIL FROM";
    int code = SendCommand(line.c_str());
    // One more try after authenticating; a server that still wants it gets the error.
    if (code == 530 && Authenticate() == 0) {
        m_verb = "MAIL FROM";
        code = SendCommand(line.c_str());
    }
    if (code != 250) {
        ReportError(code);
        return code;
    }
    return 0;
}

int CSmtp::SendRcptTo(const std::string& address) {
    m_verb = "RCPT TO";
    int code = SendCommand(("RCPT TO: <" + HeaderSafe(address) + ">\r\n").c_str());
    if (code == 250 || code == 251) {
        return 0;
    }
    OnWarning(code, m_lastResponse);
    return code;
}

int CSmtp::SendMail(CMailMessage& message) {
    if (message.GetSender().address.empty() ||
        (message.GetRecipient().address.empty() && message.GetCc().empty())) {
        return -1;
    }
    int code = SendMailFrom(message.GetSender().address);
    if (code != 0) {
        return code;
    }
    int accepted = 0;
    int last = 0;
    auto add = [&](const std::string& address) {
        last = SendRcptTo(address);
        accepted += last == 0;
    };
    if (!message.GetRecipient().address.empty()) {
        add(message.GetRecipient().address);
    }
    for (const CMailAddress& cc : message.GetCc()) {
        add(cc.address);
    }
    for (const CMailAddress& bcc : message.GetBcc()) {
        add(bcc.address);
    }
    if (accepted == 0) {
        ReportError(last);
        return last;
    }
    return SendData(message);
}

int CSmtp::SendData(CMailMessage& message) {
    m_verb = "DATA";
    int code = SendCommand("DATA\r\n");
    if (code != 354) {
        ReportError(code);
        return code;
    }
    std::string text;
    message.BuildText(text);
    text += "\r\n.\r\n";
    code = SendCommand(text.c_str());
    if (code != 250) {
        ReportError(code);
        return code;
    }
    return 0;
}

int CSmtp::SendQuit() {
    if (!m_connected) {
        return 0;
    }
    m_verb = "QUIT";
    int code = SendCommand("QUIT\r\n");
    if (code != 221) {
        ReportError(code);
    }
    m_connected = false;
    return code == 221 ? 0 : code;
}

void CSmtp::AdoptSocket(int socket) {
    Disconnect();
    fcntl(socket, F_SETFL, fcntl(socket, F_GETFL, 0) | O_NONBLOCK);
    m_socket = socket;
}

void CSmtp::Disconnect() {
    if (m_socket < 0) {
        return;
    }
    if (m_connected) {
        SendQuit();
    }
    m_tls.End();
    shutdown(m_socket, SHUT_RDWR);
    close(m_socket);
    m_socket = -1;
}
