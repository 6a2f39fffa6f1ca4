#include "net/internet.h"

#include <sys/socket.h>

#include <mutex>

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "diag/log.h"
#include "net/ftp_data_port.h"
#include "net/tls_trust.h"
#include "net/upload_source.h"

namespace {

size_t ignoreOutput(char*, size_t size, size_t count, void*) {
    return size * count;
}

size_t appendOutput(char* data, size_t size, size_t count, void* text) {
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
}

// The reply's text without its line end.
std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.pop_back();
    }
    return text;
}

// True when one line of a name list (NLST) is the name, or a path ending in it.
bool listHolds(const std::string& names, const std::string& name) {
    size_t start = 0;
    while (start < names.size()) {
        size_t end = std::min(names.find('\n', start), names.size());
        std::string line = trimmed(names.substr(start, end - start));
        if (line == name || line.ends_with("/" + name)) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// A small send buffer keeps what the server has not taken yet in sight: otherwise the kernel
// holds megabytes of an upload, and a slow line still draining them looks like a dead server.
int smallSendBuffer(void*, curl_socket_t socket, curlsocktype) {
    int bytes = 32 * 1024;
    setsockopt(socket, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
    return CURL_SOCKOPT_OK;
}

// TLS sessions kept for the whole process: the next upload to a server resumes its session
// instead of a full handshake with the certificate checked anew.
CURLSH* tlsSessions() {
    static std::mutex lock;
    static CURLSH* share = [] {
        CURLSH* created = curl_share_init();
        curl_share_setopt(created, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
        curl_share_setopt(
            created, CURLSHOPT_LOCKFUNC,
            +[](CURL*, curl_lock_data, curl_lock_access, void*) { lock.lock(); });
        curl_share_setopt(
            created, CURLSHOPT_UNLOCKFUNC, +[](CURL*, curl_lock_data, void*) { lock.unlock(); });
        return created;
    }();
    return share;
}

// Sizes in a text: whole KiB, the part sent rounded down and the whole rounded up, so that an
// unfinished transfer never reads as a finished one.
std::string kibibytes(curl_off_t bytes, bool roundUp) {
    return LangString(kTextKibibytes, {std::to_string((bytes + (roundUp ? 1023 : 0)) / 1024)});
}

// curl reads on past a reply line longer than this, keeps its start and fails on the rest.
constexpr curl_off_t kLongestReply = 16 * 1024;

}  // namespace

CInternetException::CInternetException(int code, const std::string& message) : CWin32Exception(0) {
    m_code = code;
    m_message = message.empty() ? "Unknown Error" : message;
}

CInternetSession::CInternetSession(const char* agent)
    : m_agent(agent != nullptr ? agent : "CInternetSession") {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::unique_ptr<CFtpConnection> CInternetSession::GetFtpConnection(
    const ServerAddress& address, const std::string& user, const std::string& password,
    bool passive, const FtpLimits& limits, StopCheck stop) {
    return std::make_unique<CFtpConnection>(this, address, user, password, passive, limits,
                                            std::move(stop));
}

CFtpConnection::CFtpConnection(CInternetSession* session, const ServerAddress& address,
                               const std::string& user, const std::string& password, bool passive,
                               const FtpLimits& limits, StopCheck stop)
    : CInternetConnection(session, address.host, address.port),
      m_curl(curl_easy_init()),
      m_base(std::string(address.transport == Transport::ImplicitTls ? "ftps://" : "ftp://") +
             UrlHost(address.host) + ":" + std::to_string(address.port) + "/"),
      m_user(user),
      m_password(password),
      // The libcurl here sends an active TLS data connection's bytes without TLS; and no router
      // can open a port for a PORT command it cannot read. TLS goes passive.
      m_passive(passive || address.transport != Transport::Plain),
      m_transport(address.transport),
      m_limits(limits),
      m_watch(std::move(stop), limits.stallSeconds) {
    if (m_curl == nullptr) {
        return;
    }
    // Logs in now, so that a refused login is the connection's error.
    CURLcode result = Commands({});
    if (result != CURLE_OK) {
        CInternetException error = LastError(result);
        Close();
        throw error;
    }
}

CFtpConnection::~CFtpConnection() {
    Close();
}

void CFtpConnection::Close() {
    if (m_curl == nullptr) {
        return;
    }
    // The watch ended the last operation: the server has just shown that it is stuck, or the
    // export is to end at once; neither waits for the reply to a QUIT.
    if (m_watch.GetEnding() != CTransferWatch::Ending::None) {
        Abandon();
        return;
    }
    curl_easy_cleanup(m_curl);
    m_curl = nullptr;
}

void CFtpConnection::Abandon() {
    curl_socket_t control = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(m_curl, CURLINFO_ACTIVESOCKET, &control) == CURLE_OK &&
        control != CURL_SOCKET_BAD) {
        // curl still closes it; shut, its QUIT fails at once instead of waiting for a reply.
        shutdown(control, SHUT_RDWR);
    }
    curl_easy_cleanup(m_curl);
    m_curl = nullptr;
}

void CFtpReplyReader::Feed(const char* data, size_t size) {
    // curl hands the replies over line by line.
    std::string line(data, size);
    m_partial += line;
    if (line.size() >= 4 && line[3] == ' ') {
        m_lastReply = trimmed(m_partial);
        m_partial.clear();
    }
}

void CFtpReplyReader::Clear() {
    m_lastReply.clear();
    m_partial.clear();
}

bool CFtpReplyReader::IsRefusal() const {
    return !m_lastReply.empty() && (m_lastReply[0] == '4' || m_lastReply[0] == '5');
}

void CFtpConnection::Enter(Step step) {
    m_step = step;
    m_watch.Wait(step == Step::Connecting ? m_limits.connectSeconds : m_limits.stallSeconds);
}

int CFtpConnection::OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
    auto* connection = static_cast<CFtpConnection*>(self);
    std::string_view text(data, size);
    if (type == CURLINFO_TEXT) {
        // The control connection is made; what follows waits for the server.
        if (connection->m_step == Step::Connecting && text.starts_with("Connected to ")) {
            connection->Enter(connection->m_transport == Transport::ImplicitTls ? Step::Handshake
                                                                                : Step::Greeting);
        } else if (connection->m_lastCommand == "AUTH" && !connection->m_transferring &&
                   text.find("TLS handshake, Client hello") != std::string_view::npos) {
            connection->Enter(Step::Handshake);
        }
    } else if (type == CURLINFO_HEADER_OUT) {
        connection->m_step = Step::Commands;
        connection->m_watch.Touch();
        std::string_view line(data, size);
        connection->m_lastCommand = line.substr(0, line.find_first_of(" \r\n"));
        if (line.starts_with("PORT ") || line.starts_with("EPRT ")) {
            connection->m_activePort = DataPort(line);
        }
    } else if (type == CURLINFO_HEADER_IN) {
        connection->m_watch.Touch();
        connection->m_replies.Feed(data, size);
        // Only a complete reply is a greeting.
        if (!connection->m_replies.LastReply().empty()) {
            connection->m_step = Step::Commands;
        }
        connection->m_replyBytes += size;
        // "125" and "150" open a transfer; any final reply ends it.
        connection->m_transferring = size > 0 && data[0] == '1';
    }
    return 0;
}

void CFtpConnection::Prepare(const std::string& name) {
    curl_easy_reset(m_curl);
    m_replies.Clear();
    m_transferring = false;
    m_storing = false;
    m_replyBytes = 0;
    m_errorText[0] = '\0';
    m_watch.Restart();
    Enter(Step::Connecting);
    std::string url = m_base + m_directory;
    if (!name.empty()) {
        char* escaped = curl_easy_escape(m_curl, name.c_str(), static_cast<int>(name.size()));
        url += escaped;
        curl_free(escaped);
    }
    curl_easy_setopt(m_curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(m_curl, CURLOPT_USERNAME, m_user.c_str());
    curl_easy_setopt(m_curl, CURLOPT_PASSWORD, m_password.c_str());
    curl_easy_setopt(m_curl, CURLOPT_USERAGENT, m_session->Agent().c_str());
    if (!m_passive) {
        curl_easy_setopt(m_curl, CURLOPT_FTPPORT, "-");
    }
    // The whole folder in one CWD, sent only when the control connection is not there yet.
    curl_easy_setopt(m_curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    // The watch limits each wait of the login on its own; curl's connect time would cover the
    // greeting, the TLS handshake and the login together.
    curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT, 0L);
    curl_easy_setopt(m_curl, CURLOPT_ACCEPTTIMEOUT_MS, m_limits.acceptSeconds * 1000L);
    // The watch ends a stall; this only backs it up.
    curl_easy_setopt(m_curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, m_limits.stallSeconds * 2L);
    m_watch.Attach(m_curl);
    if (m_transport != Transport::Plain) {
        // Login, commands and data all protected; the certificate and host name are checked.
        curl_easy_setopt(m_curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        curl_easy_setopt(m_curl, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
        curl_easy_setopt(m_curl, CURLOPT_SHARE, tlsSessions());
        TrustCertificates(m_curl);
    }
    curl_easy_setopt(m_curl, CURLOPT_ERRORBUFFER, m_errorText);
    curl_easy_setopt(m_curl, CURLOPT_SOCKOPTFUNCTION, &smallSendBuffer);
    curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(m_curl, CURLOPT_DEBUGFUNCTION, &CFtpConnection::OnDebug);
    curl_easy_setopt(m_curl, CURLOPT_DEBUGDATA, this);
    // What a request without a body prints ("Content-Length: ...") is not ours to show.
    curl_easy_setopt(m_curl, CURLOPT_HEADERFUNCTION, &ignoreOutput);
    curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, &ignoreOutput);
}

CURLcode CFtpConnection::Perform(curl_slist* commands) {
    // After the transfer, so that they run in the folder curl has entered.
    curl_easy_setopt(m_curl, CURLOPT_POSTQUOTE, commands);
    CURLcode result = curl_easy_perform(m_curl);
    curl_slist_free_all(commands);
    return result;
}

CURLcode CFtpConnection::Commands(const std::vector<std::string>& commands) {
    Prepare("");
    curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    curl_slist* list = nullptr;
    for (const std::string& command : commands) {
        list = curl_slist_append(list, command.c_str());
    }
    return Perform(list);
}

CInternetException CFtpConnection::LastError(CURLcode code) const {
    auto error = [code](const std::string& text) {
        return CInternetException(static_cast<int>(code), text);
    };
    std::string stall = std::to_string(m_limits.stallSeconds);
    if (m_watch.GetEnding() == CTransferWatch::Ending::Stopped) {
        return error(LangString(kTextExportStopped));
    }
    if (m_watch.GetEnding() == CTransferWatch::Ending::Stalled) {
        if (std::string text = EarlyStallText(); !text.empty()) {
            return error(text);
        }
        if (!m_transferring) {
            return error(LangString(kTextNoAnswer, {m_lastCommand, stall}));
        }
        if (!m_storing) {
            return error(LangString(kTextTransferStalled, {stall}));
        }
        curl_off_t sent = 0;
        curl_easy_getinfo(m_curl, CURLINFO_SIZE_UPLOAD_T, &sent);
        auto size = static_cast<curl_off_t>(m_storeSize);
        // Everything sent and no word from the server: the bytes may still sit in its buffers.
        if (sent >= size) {
            return error(LangString(kTextUploadNotConfirmed, {kibibytes(size, true), stall}));
        }
        return error(LangString(kTextTransferStalledAfter,
                                {stall, kibibytes(sent, false), kibibytes(size, true)}));
    }
    if (code == CURLE_USE_SSL_FAILED) {
        return error(LangString(kTextAuthTlsRefused, {m_replies.LastReply()}));
    }
    // A refusal by the server is told in the server's words.
    if (m_replies.IsRefusal()) {
        const std::string& reply = m_replies.LastReply();
        // Some servers refuse plain sessions already in their greeting.
        bool loggingIn =
            m_lastCommand.empty() || m_lastCommand == "USER" || m_lastCommand == "PASS";
        if (m_transport == Transport::Plain && loggingIn &&
            (AsksForTls(reply) || reply.starts_with("534"))) {
            return error(LangString(kTextFtpWantsTls, {reply, HostForPrefix(21)}));
        }
        return error(reply);
    }
    switch (code) {
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_CACERT_BADFILE:
            return TlsError(code);
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
        case CURLE_OPERATION_TIMEDOUT:
            // After a 227 or 229 it was the data connection to the port the reply named.
            if (int port = DataPort(m_replies.LastReply()); port != 0) {
                return error(LangString(kTextPassiveDataConnectionFailed, {std::to_string(port)}));
            }
            if (code != CURLE_OPERATION_TIMEDOUT || m_lastCommand.empty()) {
                return error(LangString(kTextCouldNotConnect) + " (" + m_server + ":" +
                             std::to_string(m_port) + ")");
            }
            return error(LangString(kTextNoAnswer, {m_lastCommand, stall}));
        case CURLE_FTP_ACCEPT_TIMEOUT:
            return error(
                LangString(kTextDataConnectionNeverMade,
                           {std::to_string(m_activePort), std::to_string(m_limits.acceptSeconds)}));
        case CURLE_FTP_ACCEPT_FAILED:
        case CURLE_FTP_PORT_FAILED:
        case CURLE_FTP_CANT_GET_HOST:
        case CURLE_FTP_WEIRD_PASV_REPLY:
        case CURLE_FTP_WEIRD_227_FORMAT:
            return error(LangString(kTextDataConnectionFailed));
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE:
        case CURLE_UPLOAD_FAILED:
        case CURLE_WEIRD_SERVER_REPLY: {
            if (m_step == Step::Handshake) {
                return error(LangString(kTextClosedDuringHandshake,
                                        {m_server + ":" + std::to_string(m_port)}));
            }
            // curl counts every reply byte it read, but hands on only whole lines.
            long replyBytes = 0;
            curl_easy_getinfo(m_curl, CURLINFO_HEADER_SIZE, &replyBytes);
            if (replyBytes - static_cast<curl_off_t>(m_replyBytes) > kLongestReply) {
                return error(LangString(kTextReplyTooLong, {m_lastCommand}));
            }
            if (m_transferring) {
                return error(LangString(kTextClosedDuringTransfer));
            }
            return error(m_lastCommand.empty() ? LangString(kTextClosedWithoutGreeting)
                                               : LangString(kTextClosedAfter, {m_lastCommand}));
        }
        default:
            // Never the error buffer: active mode leaves a stray line there on every transfer.
            return error(curl_easy_strerror(code));
    }
}

CInternetException CFtpConnection::TlsError(CURLcode code) const {
    std::string where = m_server + ":" + std::to_string(m_port);
    if (code == CURLE_PEER_FAILED_VERIFICATION) {
        return CInternetException(static_cast<int>(code),
                                  UntrustedCertificateText(m_curl, m_errorText, m_server));
    }
    std::string reason = m_errorText[0] != '\0' ? m_errorText : curl_easy_strerror(code);
    // OpenSSL's words for a peer that hung up; a plain server would have greeted instead, so no
    // advice about the prefix.
    if (reason.find("SSL_ERROR_SYSCALL") != std::string::npos ||
        reason.find("unexpected eof") != std::string::npos ||
        reason.find("Connection reset") != std::string::npos) {
        return CInternetException(static_cast<int>(code),
                                  LangString(kTextClosedDuringHandshake, {where}));
    }
    while (!reason.empty() && (reason.back() == ' ' || reason.back() == '.')) {
        reason.pop_back();
    }
    std::string text = LangString(kTextTlsFailed, {where, reason});
    if (m_transport == Transport::ImplicitTls) {
        text += "\n" + LangString(kTextFtpsHint);
    }
    return CInternetException(static_cast<int>(code), text);
}

std::string CFtpConnection::HostForPrefix(std::uint16_t defaultPort) const {
    return m_port == defaultPort ? m_server : m_server + ":" + std::to_string(m_port);
}

std::string CFtpConnection::EarlyStallText() const {
    std::string where = m_server + ":" + std::to_string(m_port);
    std::string limit = std::to_string(m_watch.LimitSeconds());
    switch (m_step) {
        case Step::Connecting:
            return LangString(kTextCouldNotConnect) + " (" + where + ")";
        case Step::Handshake:
            return LangString(kTextHandshakeTooSlow, {where, limit});
        case Step::Greeting:
            // An SSH server greets first with a line that is no FTP reply.
            if (m_replies.Pending().starts_with("SSH-")) {
                return LangString(kTextSshServerGreeted, {where, trimmed(m_replies.Pending())});
            }
            // A server that expects TLS from the start waits in silence for the handshake.
            return LangString(kTextFtpNoGreeting, {where, limit}) + "\n" +
                   LangString(kTextFtpsGreetingHint, {HostForPrefix(990)});
        case Step::Commands:
            break;
    }
    return "";
}

bool CFtpConnection::SetCurrentDirectory(const std::string& path) {
    if (m_curl == nullptr) {
        return false;
    }
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    // A relative folder is made absolute from the login folder: on the open control connection
    // curl would otherwise go back to the login folder first, one more command.
    const char* entry = nullptr;
    if (!folder.empty() && folder[0] != '/' &&
        curl_easy_getinfo(m_curl, CURLINFO_FTP_ENTRY_PATH, &entry) == CURLE_OK &&
        entry != nullptr && entry[0] == '/') {
        std::string login = entry;
        folder = (login.ends_with('/') ? login : login + "/") + folder;
    }
    std::string previous = m_directory;
    m_directory.clear();
    if (!folder.empty()) {
        // "/" escaped too, so that curl sends the whole folder in one CWD.
        char* escaped = curl_easy_escape(m_curl, folder.c_str(), static_cast<int>(folder.size()));
        m_directory = std::string(escaped) + "/";
        curl_free(escaped);
    }
    if (Commands({}) != CURLE_OK) {
        m_directory = previous;
        return false;
    }
    return true;
}

bool CFtpConnection::Remove(const std::string& name) {
    return m_curl != nullptr && Commands({"DELE " + name}) == CURLE_OK;
}

bool CFtpConnection::Rename(const std::string& oldName, const std::string& newName) {
    return m_curl != nullptr && Commands({"RNFR " + oldName, "RNTO " + newName}) == CURLE_OK;
}

bool CFtpConnection::FileExists(const std::string& name) {
    // SIZE answers in one exchange; "*" keeps a "550" from counting as a failure.
    CURLcode result = Commands({"*SIZE " + name});
    if (result != CURLE_OK) {
        throw LastError(result);
    }
    const std::string& reply = m_replies.LastReply();
    if (reply.starts_with("213")) {
        return true;
    }
    if (reply.starts_with("550")) {
        return false;
    }
    // A server without SIZE: search the folder's name list.
    Prepare("");
    std::string names;
    curl_easy_setopt(m_curl, CURLOPT_DIRLISTONLY, 1L);
    curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, &appendOutput);
    curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, &names);
    result = Perform();
    if (result != CURLE_OK) {
        throw LastError(result);
    }
    return listHolds(names, name);
}

std::unique_ptr<CInternetFile> CFtpConnection::OpenFile(const std::string& name) {
    return std::make_unique<CInternetFile>(this, name);
}

void CFtpConnection::Store(const std::string& name, const unsigned char* data, size_t size) {
    CURLcode result = StoreOnce(name, data, size);
    // Behind a router the server often cannot reach us: the same upload goes passive then.
    bool activeFailed = result == CURLE_FTP_PORT_FAILED || result == CURLE_FTP_ACCEPT_FAILED ||
                        result == CURLE_FTP_ACCEPT_TIMEOUT;
    if (!activeFailed || m_passive || m_watch.GetEnding() != CTransferWatch::Ending::None) {
        if (result != CURLE_OK) {
            throw LastError(result);
        }
        return;
    }
    CInternetException active = LastError(result);
    LogMessage(Info, "[CFtpConnection::Store] Active mode failed (%s); trying passive mode.",
               active.GetMessage().c_str());
    m_passive = true;
    // A server that never connected may still be trying, answering nothing meanwhile; one that
    // refused did answer, and its connection goes on.
    if (result == CURLE_FTP_ACCEPT_TIMEOUT) {
        Abandon();
        m_curl = curl_easy_init();
        if (m_curl == nullptr) {
            throw active;
        }
    }
    result = StoreOnce(name, data, size);
    if (result != CURLE_OK) {
        // The active mode's failure is the one to fix; the passive one tells what else failed.
        throw CInternetException(
            active.GetCode(),
            active.GetMessage() + "\n" +
                LangString(kTextPassiveFailedToo, {LastError(result).GetMessage()}));
    }
}

CURLcode CFtpConnection::StoreOnce(const std::string& name, const unsigned char* data,
                                   size_t size) {
    Prepare(name);
    m_storing = true;
    m_storeSize = size;
    UploadSource upload{data, size};
    curl_easy_setopt(m_curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(m_curl, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(m_curl, CURLOPT_READFUNCTION, &UploadSource::Read);
    curl_easy_setopt(m_curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
    return Perform();
}

void CInternetFile::Write(const unsigned char* data, size_t length) {
    m_bytes.insert(m_bytes.end(), data, data + length);
}

void CInternetFile::Close() {
    if (!m_closed) {
        m_closed = true;
        m_connection->Store(m_name, m_bytes.data(), m_bytes.size());
    }
}
