#include "net/internet.h"

#include <cstring>
#include <mutex>

namespace {

struct Upload {
    const unsigned char* data;
    size_t size;
    size_t done;
};

size_t readUpload(char* buffer, size_t size, size_t count, void* userData) {
    auto* upload = static_cast<Upload*>(userData);
    size_t chunk = std::min(size * count, upload->size - upload->done);
    std::memcpy(buffer, upload->data + upload->done, chunk);
    upload->done += chunk;
    return chunk;
}

size_t ignoreOutput(char*, size_t size, size_t count, void*) {
    return size * count;
}

// The reply's text without its line end.
std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.pop_back();
    }
    return text;
}

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

std::unique_ptr<CFtpConnection> CInternetSession::GetFtpConnection(const std::string& server,
                                                                   const std::string& user,
                                                                   const std::string& password,
                                                                   std::uint16_t port,
                                                                   bool passive) {
    return std::make_unique<CFtpConnection>(this, server, user, password, port, passive);
}

CFtpConnection::CFtpConnection(CInternetSession* session, const std::string& server,
                               const std::string& user, const std::string& password,
                               std::uint16_t port, bool passive)
    : CInternetConnection(session, server, port),
      m_curl(curl_easy_init()),
      m_base("ftp://" + server + ":" + std::to_string(port) + "/"),
      m_user(user),
      m_password(password),
      m_passive(passive) {
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
    if (m_curl != nullptr) {
        curl_easy_cleanup(m_curl);
        m_curl = nullptr;
    }
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

int CFtpConnection::OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
    if (type == CURLINFO_HEADER_IN) {
        static_cast<CFtpConnection*>(self)->m_replies.Feed(data, size);
    }
    return 0;
}

void CFtpConnection::Prepare(const std::string& name) {
    curl_easy_reset(m_curl);
    m_replies.Clear();
    m_errorText[0] = '\0';
    std::string url = m_base;
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
    // The directory is ours to set (one CWD with the whole path); names stay relative to it.
    curl_easy_setopt(m_curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    // A dead or stalled server must never hold the export queue.
    curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(m_curl, CURLOPT_ACCEPTTIMEOUT_MS, 30000L);
    curl_easy_setopt(m_curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, 60L);
    curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_curl, CURLOPT_ERRORBUFFER, m_errorText);
    curl_easy_setopt(m_curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(m_curl, CURLOPT_DEBUGFUNCTION, &CFtpConnection::OnDebug);
    curl_easy_setopt(m_curl, CURLOPT_DEBUGDATA, this);
    // What a request without a body prints ("Content-Length: ...") is not ours to show.
    curl_easy_setopt(m_curl, CURLOPT_HEADERFUNCTION, &ignoreOutput);
    curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, &ignoreOutput);
}

CURLcode CFtpConnection::Perform(const std::vector<std::string>& commands) {
    // Each exchange may come on a fresh control connection, so the directory is entered again.
    curl_slist* list = nullptr;
    if (!m_directory.empty()) {
        list = curl_slist_append(list, ("CWD " + m_directory).c_str());
    }
    for (const std::string& command : commands) {
        list = curl_slist_append(list, command.c_str());
    }
    curl_easy_setopt(m_curl, CURLOPT_QUOTE, list);
    CURLcode result = curl_easy_perform(m_curl);
    curl_slist_free_all(list);
    return result;
}

CURLcode CFtpConnection::Commands(const std::vector<std::string>& commands) {
    Prepare("");
    curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    return Perform(commands);
}

CInternetException CFtpConnection::LastError(CURLcode code) const {
    // A refusal by the server is told in the server's words.
    if (m_replies.IsRefusal()) {
        return CInternetException(static_cast<int>(code), m_replies.LastReply());
    }
    std::string text = m_errorText[0] != '\0' ? m_errorText : curl_easy_strerror(code);
    return CInternetException(static_cast<int>(code), text);
}

bool CFtpConnection::SetCurrentDirectory(const std::string& path) {
    if (m_curl == nullptr || Commands({"CWD " + path}) != CURLE_OK) {
        return false;
    }
    m_directory = path;
    return true;
}

bool CFtpConnection::Remove(const std::string& name) {
    return m_curl != nullptr && Commands({"DELE " + name}) == CURLE_OK;
}

bool CFtpConnection::Rename(const std::string& oldName, const std::string& newName) {
    return m_curl != nullptr && Commands({"RNFR " + oldName, "RNTO " + newName}) == CURLE_OK;
}

bool CFtpConnection::FileExists(const std::string& name) {
    Prepare(name);
    curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    CURLcode result = Perform({});
    if (result == CURLE_OK) {
        return true;
    }
    if (result == CURLE_REMOTE_FILE_NOT_FOUND) {
        return false;
    }
    throw LastError(result);
}

std::unique_ptr<CInternetFile> CFtpConnection::OpenFile(const std::string& name) {
    return std::make_unique<CInternetFile>(this, name);
}

void CFtpConnection::Store(const std::string& name, const unsigned char* data, size_t size) {
    Prepare(name);
    Upload upload{data, size, 0};
    curl_easy_setopt(m_curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(m_curl, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(m_curl, CURLOPT_READFUNCTION, &readUpload);
    curl_easy_setopt(m_curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
    CURLcode result = Perform({});
    if (result != CURLE_OK) {
        throw LastError(result);
    }
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
