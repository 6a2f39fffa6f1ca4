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

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "mail/base64.h"

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
// ends the wait early.
bool connectWithin(int socket, const sockaddr_in& address, int timeoutMs, const StopCheck& stop) {
    int flags = fcntl(socket, F_GETFL, 0);
    fcntl(socket, F_SETFL, flags | O_NONBLOCK);
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
    fcntl(socket, F_SETFL, flags);
    return result == 0;
}

std::string hostName() {
    char name[64] = {};
    gethostname(name, 63);
    return name[0] != '\0' ? name : "localhost";
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
    if (code == -1) {
        m_connected = false;
    }
    OnError(code, code == -1 && !m_failure.empty() ? m_failure : m_lastResponse);
}

bool CSmtp::WaitReadable(std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        if (stop && stop()) {
            m_failure = LangString(kTextExportStopped);
            return false;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            m_failure = LangString(kTextNoAnswer, {m_verb, std::to_string(timeoutSeconds)});
            return false;
        }
        if (waitFor(m_socket, POLLIN, static_cast<int>(std::min<long>(left.count(), 250)))) {
            return true;
        }
    }
}

bool CSmtp::SendAll(const char* data, size_t length) {
    size_t sent = 0;
    while (sent < length) {
        if (stop && stop()) {
            m_failure = LangString(kTextExportStopped);
            return false;
        }
        size_t chunk = std::min(kChunk, length - sent);
        ssize_t written = send(m_socket, data + sent, chunk, MSG_NOSIGNAL);
        if (written <= 0) {
            return false;
        }
        sent += static_cast<size_t>(written);
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
    if (m_socket < 0) {
        return -1;
    }
    if (command != nullptr) {
        // What the server said before this command belongs to no reply of ours.
        while (waitFor(m_socket, POLLIN, 0) && recv(m_socket, reply, sizeof reply, 0) > 0) {
        }
        if (!SendAll(command, std::strlen(command))) {
            if (m_failure.empty()) {
                m_failure = LangString(kTextClosedAfter, {m_verb});
            }
            return -1;
        }
    }
    std::memset(reply, 0, sizeof reply);
    size_t received = 0;
    bool complete = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (WaitReadable(deadline)) {
        // A reply longer than the buffer is an error, never an overflow.
        if (received >= sizeof reply - 1) {
            break;
        }
        ssize_t got = recv(m_socket, reply + received, sizeof reply - 1 - received, 0);
        if (got <= 0) {
            m_failure = LangString(kTextClosedAfter, {m_verb});
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
    int code = SendCommand(nullptr);
    if (code != 220) {
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
    m_connected = true;
    if (m_esmtp) {
        Authenticate();
    }
    return 0;
}

int CSmtp::Authenticate() {
    for (;;) {
        if (authUser.empty()) {
            return 0;
        }
        m_verb = "AUTH LOGIN";
        int code = SendCommand("AUTH LOGIN\r\n");
        if (code != 334) {
            OnWarning(code, m_lastResponse);
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
    m_socket = socket;
}

void CSmtp::Disconnect() {
    if (m_socket < 0) {
        return;
    }
    if (m_connected) {
        SendQuit();
    }
    shutdown(m_socket, SHUT_RDWR);
    close(m_socket);
    m_socket = -1;
}
