#include "mail/smtp.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <strings.h>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>
#include <sstream>
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
bool connectWithin(int socket, const addrinfo& address, int timeoutMs, const StopCheck& stop) {
    fcntl(socket, F_SETFL, fcntl(socket, F_GETFL, 0) | O_NONBLOCK);
    int result = connect(socket, address.ai_addr, address.ai_addrlen);
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

// The arguments of the EHLO reply's lines that name the extension, upper case and one blank
// apart ("AUTH LOGIN PLAIN" and the older "AUTH=LOGIN" alike); nullopt when none names it.
std::optional<std::string> extension(const std::string& reply, std::string_view name) {
    std::optional<std::string> arguments;
    size_t start = 0;
    while (start < reply.size()) {
        size_t end = std::min(reply.find('\n', start), reply.size());
        std::string_view line(reply.data() + start, end - start);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (line.size() >= 4) {
            std::string_view rest = line.substr(4);
            std::string_view word = rest.substr(0, rest.find_first_of(" ="));
            if (word.size() == name.size() &&
                strncasecmp(word.data(), name.data(), word.size()) == 0) {
                std::string found = arguments.value_or("");
                std::istringstream words{std::string(rest.substr(word.size()))};
                for (std::string argument; words >> argument;) {
                    if (argument.starts_with('=')) {
                        argument.erase(0, 1);
                    }
                    std::transform(argument.begin(), argument.end(), argument.begin(),
                                   [](unsigned char c) { return std::toupper(c); });
                    found += (found.empty() ? "" : " ") + argument;
                }
                arguments = found;
            }
        }
        start = end + 1;
    }
    return arguments;
}

bool hasWord(const std::string& words, std::string_view word) {
    std::istringstream in(words);
    for (std::string each; in >> each;) {
        if (each == word) {
            return true;
        }
    }
    return false;
}

// The start of a reply that could not be used, short enough to read in a message.
std::string quotedStart(std::string_view reply) {
    constexpr size_t kQuoted = 60;
    std::string_view line = reply.substr(0, reply.find_first_of("\r\n"));
    return line.size() > kQuoted ? std::string(line.substr(0, kQuoted)) + "..." : std::string(line);
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
    bool authOrMail = m_verb.starts_with("AUTH") || m_verb == "MAIL FROM";
    // 538: encryption required for the authentication, in any words.
    if (authOrMail && code >= 500 && code < 600 && !m_tls.IsActive() && !m_offeredStartTls &&
        (code == 538 || AsksForTls(m_lastResponse))) {
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
        if (received >= sizeof reply - 1) {
            std::string quoted = quotedStart(m_lastResponse);
            m_failure = (m_verb.empty() ? LangString(kTextGreetingTooLong)
                                        : LangString(kTextReplyTooLong, {m_verb})) +
                        " " + quoted;
        }
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
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return false;
    }
    // IPv6 and IPv4 addresses in the resolver's order: a name whose first address cannot be
    // reached may still be reached by another.
    for (addrinfo* address = found; address != nullptr && m_socket < 0;
         address = address->ai_next) {
        if (stop && stop()) {
            break;
        }
        m_socket = socket(address->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_socket >= 0 &&
            !connectWithin(m_socket, *address, static_cast<int>(timeoutSeconds) * 1000, stop)) {
            close(m_socket);
            m_socket = -1;
        }
    }
    freeaddrinfo(found);
    if (m_socket < 0) {
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
    // HELO is the answer to a refused EHLO, not to a connection that broke down.
    if (!m_esmtp && (!tryEhlo || code != -1)) {
        m_verb = "HELO";
        code = SendCommand(("HELO " + name + "\r\n").c_str());
    }
    if (code != 250) {
        ReportError(code);
        return code;
    }
    m_offeredStartTls =
        m_esmtp && !m_tls.IsActive() && extension(m_lastResponse, "STARTTLS").has_value();
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
    m_authMechanisms = m_esmtp ? extension(m_lastResponse, "AUTH").value_or("") : "";
    m_connected = true;
    return Authenticate();
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
        // Checked before anything is sent: a server, or someone between, that hides STARTTLS
        // must not get the password in the clear.
        if (!m_tls.IsActive() && !allowPlainLogin) {
            ReportError(-1, LangString(kTextLoginNeedsTls, {m_host}));
            return -1;
        }
        bool login = hasWord(m_authMechanisms, "LOGIN");
        if (!login && !hasWord(m_authMechanisms, "PLAIN")) {
            ReportError(-1, m_authMechanisms.empty()
                                ? LangString(kTextNoAuthOffered)
                                : LangString(kTextNoKnownAuth, {m_authMechanisms}));
            return -1;
        }
        int code = login ? AuthLogin() : AuthPlain();
        if (code == 235) {
            return 0;
        }
        if (code == 535) {
            int decision = OnWarning(535, m_lastResponse);
            if (decision == 1) {
                continue;
            }
            if (decision == 235) {
                return 0;
            }
            ReportError(535, LangString(kTextLoginRefused, {m_lastResponse}));
            return 535;
        }
        ReportError(code);
        return code;
    }
}

int CSmtp::AuthLogin() {
    m_verb = "AUTH LOGIN";
    int code = SendCommand("AUTH LOGIN\r\n");
    if (code != 334) {
        OnWarning(code, RefusalText(code));
        return code;
    }
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
            return 334;
        }
        std::string line =
            CBase64::EncodeToString(reinterpret_cast<const unsigned char*>(answer.data()),
                                    answer.size()) +
            "\r\n";
        code = SendCommand(line.c_str());
    }
    return code;
}

int CSmtp::AuthPlain() {
    m_verb = "AUTH PLAIN";
    std::string credentials = std::string(1, '\0') + authUser + std::string(1, '\0') + authPassword;
    std::string line =
        "AUTH PLAIN " +
        CBase64::EncodeToString(reinterpret_cast<const unsigned char*>(credentials.data()),
                                credentials.size()) +
        "\r\n";
    return SendCommand(line.c_str());
}

int CSmtp::SendMailFrom(const std::string& address) {
    std::string line = "MAIL FROM: <" + HeaderSafe(address) + ">\r\n";
    m_verb = "MAIL FROM";
    int code = SendCommand(line.c_str());
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
