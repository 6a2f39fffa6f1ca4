#include "net/dav_upload.h"

#include <curl/curl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <vector>

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "net/tls_trust.h"
#include "net/transfer_watch.h"
#include "net/upload_source.h"

namespace {

std::string lowered(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// The parts of a folder path, without empty ones.
std::vector<std::string> segments(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = std::min(path.find('/', start), path.size());
        if (end > start) {
            parts.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

// The server's status line and the login schemes it offers, of the last response.
struct Reply {
    std::string statusLine;
    long status = 0;
    std::vector<std::string> schemes;

    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        auto* reply = static_cast<Reply*>(self);
        std::string line(data, size * count);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
            line.pop_back();
        }
        // Each response of a request (a challenge, then the answer) starts anew.
        if (line.starts_with("HTTP/")) {
            reply->statusLine = line;
            reply->schemes.clear();
        } else if (lowered(line).starts_with("www-authenticate:")) {
            std::string value = lowered(line.substr(17));
            size_t start = value.find_first_not_of(' ');
            if (start != std::string::npos) {
                reply->schemes.push_back(value.substr(start, value.find(' ', start) - start));
            }
        }
        return size * count;
    }
    bool Offers(const std::string& scheme) const {
        return std::find(schemes.begin(), schemes.end(), scheme) != schemes.end();
    }
};

size_t ignoreBody(char*, size_t size, size_t count, void*) {
    return size * count;
}

// A small send buffer keeps a stuck server in sight (as for FTP); bytes the server takes or
// sends count as movement.
int onSocket(void* watch, curl_socket_t socket, curlsocktype) {
    int bytes = 32 * 1024;
    setsockopt(socket, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
    static_cast<CTransferWatch*>(watch)->WatchSocket(socket);
    return CURL_SOCKOPT_OK;
}

std::string kibibytes(curl_off_t bytes, bool roundUp) {
    return LangString(kTextKibibytes, {std::to_string((bytes + (roundUp ? 1023 : 0)) / 1024)});
}

class DavSession {
  public:
    DavSession(const ServerAddress& address, const FtpSettings& settings, const StopCheck& stop,
               const FtpLimits& limits)
        : m_curl(curl_easy_init(), &curl_easy_cleanup),
          m_address(address),
          m_settings(settings),
          m_limits(limits),
          m_watch(stop, limits.stallSeconds),
          m_where(address.host + ":" + std::to_string(address.port)) {
        if (!m_curl) {
            throw CInternetException(CURLE_OUT_OF_MEMORY, LangString(kTextCouldNotConnect));
        }
        // Relative to the server field's path unless it starts with "/".
        std::string folder = settings.filePath.starts_with('/')
                                 ? settings.filePath
                                 : address.path + "/" + settings.filePath;
        m_base = std::string(address.transport == Transport::DavTls ? "https://" : "http://") +
                 UrlHost(address.host) + ":" + std::to_string(address.port);
        for (const std::string& part : segments(folder)) {
            m_folder += "/" + part;
            m_urlFolder += "/" + Escaped(part);
        }
        Prepare();
    }

    // Stores the bytes under name; CInternetException unless the server took them all.
    void Put(const std::string& name, const unsigned char* data, size_t size) {
        UploadSource upload{data, size};
        CURL* curl = m_curl.get();
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, &UploadSource::Read);
        curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
        curl_easy_setopt(curl, CURLOPT_SEEKFUNCTION, &UploadSource::Seek);
        curl_easy_setopt(curl, CURLOPT_SEEKDATA, &upload);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
        m_size = size;
        Perform("PUT", name);
        // libcurl sends the body again after a digest login's empty probe; a server that answers
        // before it has the whole body has not stored the image.
        curl_off_t sent = 0;
        curl_easy_getinfo(curl, CURLINFO_SIZE_UPLOAD_T, &sent);
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 0L);
        if (static_cast<size_t>(sent) < size) {
            throw CInternetException(
                0, LangString(kTextDavUploadShort, {std::to_string(sent), std::to_string(size)}));
        }
    }

    // Renames from over to on the server, replacing what is there.
    void Move(const std::string& from, const std::string& to) {
        std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(nullptr,
                                                                            &curl_slist_free_all);
        headers.reset(curl_slist_append(nullptr, ("Destination: " + Url(to)).c_str()));
        curl_slist_append(headers.get(), "Overwrite: T");
        curl_easy_setopt(m_curl.get(), CURLOPT_HTTPHEADER, headers.get());
        curl_easy_setopt(m_curl.get(), CURLOPT_CUSTOMREQUEST, "MOVE");
        m_size = 0;
        Perform("MOVE", from);
        curl_easy_setopt(m_curl.get(), CURLOPT_CUSTOMREQUEST, nullptr);
        curl_easy_setopt(m_curl.get(), CURLOPT_HTTPHEADER, nullptr);
    }

  private:
    std::string Escaped(const std::string& text) const {
        char* escaped = curl_easy_escape(m_curl.get(), text.c_str(), static_cast<int>(text.size()));
        std::string result = escaped;
        curl_free(escaped);
        return result;
    }
    std::string Url(const std::string& name) const {
        return m_base + m_urlFolder + "/" + Escaped(name);
    }

    void Prepare() {
        CURL* curl = m_curl.get();
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        if (!m_settings.userName.empty()) {
            curl_easy_setopt(curl, CURLOPT_USERNAME, m_settings.userName.c_str());
            curl_easy_setopt(curl, CURLOPT_PASSWORD, m_settings.password.c_str());
            // Over plain HTTP a Basic login would show the password to anyone on the way.
            bool plainAllowed =
                m_address.transport == Transport::DavTls || m_settings.davPlainLogin;
            curl_easy_setopt(curl, CURLOPT_HTTPAUTH,
                             plainAllowed ? CURLAUTH_BASIC | CURLAUTH_DIGEST : CURLAUTH_DIGEST);
        }
        if (m_address.transport == Transport::DavTls) {
            TrustCertificates(curl);
        }
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(m_limits.connectSeconds));
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_errorText);
        curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Reply::OnHeader);
        curl_easy_setopt(curl, CURLOPT_HEADERDATA, &m_reply);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &ignoreBody);
        curl_easy_setopt(curl, CURLOPT_SOCKOPTFUNCTION, &onSocket);
        curl_easy_setopt(curl, CURLOPT_SOCKOPTDATA, &m_watch);
        curl_easy_setopt(curl, CURLOPT_USERAGENT, "Skyvane");
        m_watch.Attach(curl);
    }

    void Perform(const char* method, const std::string& name) {
        curl_easy_setopt(m_curl.get(), CURLOPT_URL, Url(name).c_str());
        m_reply = Reply();
        m_errorText[0] = '\0';
        m_watch.Restart();
        CURLcode result = curl_easy_perform(m_curl.get());
        if (result != CURLE_OK) {
            throw Failure(result, method);
        }
        curl_easy_getinfo(m_curl.get(), CURLINFO_RESPONSE_CODE, &m_reply.status);
        if (m_reply.status < 200 || m_reply.status > 299) {
            throw Refusal(method, name);
        }
    }

    CInternetException Refusal(const char* method, const std::string& name) const {
        long status = m_reply.status;
        std::string line = m_reply.statusLine.empty() ? std::to_string(status) : m_reply.statusLine;
        std::string text = LangString(kTextDavRefused, {method, m_folder + "/" + name, line});
        std::string hint;
        if (status == 401 && m_address.transport == Transport::Dav &&
            !m_settings.userName.empty() && !m_settings.davPlainLogin && m_reply.Offers("basic") &&
            !m_reply.Offers("digest")) {
            hint = LangString(kTextDavPlainLoginRefused, {m_address.host + m_address.path});
        } else if (status == 401) {
            hint = LangString(kTextDavCheckLogin);
        } else if (status == 403) {
            hint = LangString(kTextDavForbidden);
        } else if ((status == 404 || status == 409) && std::string(method) == "PUT") {
            // 409 Conflict is how RFC 4918 servers tell a missing parent folder.
            hint = LangString(kTextDavFolderMissing, {m_folder.empty() ? "/" : m_folder});
        } else if (status == 507) {
            hint = LangString(kTextDavDiskFull);
        }
        return CInternetException(static_cast<int>(status),
                                  hint.empty() ? text : text + "\n" + hint);
    }

    CInternetException Failure(CURLcode code, const char* method) const {
        auto error = [code](const std::string& text) {
            return CInternetException(static_cast<int>(code), text);
        };
        CURL* curl = m_curl.get();
        std::string limit = std::to_string(m_watch.LimitSeconds());
        curl_off_t sent = 0;
        curl_easy_getinfo(curl, CURLINFO_SIZE_UPLOAD_T, &sent);
        if (m_watch.GetEnding() == CTransferWatch::Ending::Stopped) {
            return error(LangString(kTextExportStopped));
        }
        if (m_watch.GetEnding() == CTransferWatch::Ending::Stalled) {
            curl_off_t handshake = 0;
            curl_easy_getinfo(curl, CURLINFO_APPCONNECT_TIME_T, &handshake);
            if (m_address.transport == Transport::DavTls && handshake == 0) {
                return error(LangString(kTextHandshakeTooSlow, {m_where, limit}));
            }
            auto size = static_cast<curl_off_t>(m_size);
            if (m_size == 0 || sent == 0) {
                return error(LangString(kTextNoAnswer, {method, limit}));
            }
            // Everything sent and no word from the server: the bytes may still sit in its buffers.
            if (sent >= size) {
                return error(LangString(kTextUploadNotConfirmed, {kibibytes(size, true), limit}));
            }
            return error(LangString(kTextTransferStalledAfter,
                                    {limit, kibibytes(sent, false), kibibytes(size, true)}));
        }
        switch (code) {
            case CURLE_COULDNT_RESOLVE_HOST:
            case CURLE_COULDNT_CONNECT:
            case CURLE_OPERATION_TIMEDOUT:
                return error(LangString(kTextCouldNotConnect) + " (" + m_where + ")");
            case CURLE_PEER_FAILED_VERIFICATION:
                return error(UntrustedCertificateText(
                    CertificateFailure(curl, m_errorText, m_address.host)));
            case CURLE_SSL_CONNECT_ERROR: {
                std::string reason =
                    m_errorText[0] != '\0' ? m_errorText : curl_easy_strerror(code);
                while (!reason.empty() && (reason.back() == ' ' || reason.back() == '.')) {
                    reason.pop_back();
                }
                return error(LangString(kTextTlsFailed, {m_where, reason}) + "\n" +
                             LangString(kTextDavsHint));
            }
            case CURLE_SEND_ERROR:
            case CURLE_RECV_ERROR:
            case CURLE_GOT_NOTHING:
            case CURLE_PARTIAL_FILE:
            case CURLE_UPLOAD_FAILED:
                return error(sent > 0 && static_cast<size_t>(sent) < m_size
                                 ? LangString(kTextClosedDuringTransfer)
                                 : LangString(kTextClosedAfter, {method}));
            default:
                return error(m_errorText[0] != '\0' ? m_errorText : curl_easy_strerror(code));
        }
    }

    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> m_curl;
    const ServerAddress& m_address;
    const FtpSettings& m_settings;
    FtpLimits m_limits;
    CTransferWatch m_watch;
    std::string m_where;
    std::string m_base;
    std::string m_folder;     // as the user wrote it, for texts
    std::string m_urlFolder;  // escaped, for requests
    size_t m_size = 0;        // of the body under way
    Reply m_reply;
    char m_errorText[CURL_ERROR_SIZE] = {};
};

}  // namespace

void UploadByDav(const ServerAddress& address, const FtpSettings& settings,
                 const std::string& temporary, const unsigned char* data, size_t size,
                 const StopCheck& stop, const FtpLimits& limits) {
    if (settings.fileName.find('/') != std::string::npos) {
        throw CInternetException(0, LangString(kTextFileNameHoldsSlash, {settings.fileName}));
    }
    DavSession session(address, settings, stop, limits);
    session.Put(temporary, data, size);
    session.Move(temporary, settings.fileName);
}
