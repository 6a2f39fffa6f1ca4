// Thin FTP wrappers over libcurl: a session, a logged-in FTP connection that keeps its
// control connection across operations, a file stored on close, and the exception that
// carries the server's or the library's error text.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/server_address.h"
#include "base/stop_check.h"
#include "diag/exceptions.h"
#include "net/transfer_watch.h"

// How long an FTP or SFTP connection waits before it gives up. Each wait has its own limit, so
// that a slow link gets the whole limit for every step of the login, not one for all of them.
struct FtpLimits {
    int connectSeconds = 30;  // for the server to accept the connection
    int acceptSeconds = 30;   // for the server to open an active data connection
    int stallSeconds = 60;    // for each reply, each handshake, and for bytes of a transfer
};

// A failed FTP operation: the server's reply text when it refused, else libcurl's text, else
// "Unknown Error".
class CInternetException : public CWin32Exception {
  public:
    CInternetException(int code, const std::string& message);
};

class CInternetSession;
class CInternetFile;

// Collects the server's replies from the lines it sends: "123-" continues a reply, "123 "
// ends it; the last complete reply is kept without its final line end.
class CFtpReplyReader {
  public:
    void Feed(const char* data, size_t size);
    void Clear();
    const std::string& LastReply() const { return m_lastReply; }
    // The lines of a reply not yet complete, as a greeting that is no FTP reply leaves them.
    const std::string& Pending() const { return m_partial; }
    // True when the last reply is a refusal (4xx or 5xx).
    bool IsRefusal() const;

  private:
    std::string m_lastReply;
    std::string m_partial;
};

class CInternetConnection {
  public:
    CInternetConnection(CInternetSession* session, std::string server, std::uint16_t port)
        : m_session(session), m_server(std::move(server)), m_port(port) {}
    virtual ~CInternetConnection() = default;
    virtual void Close() {}

  protected:
    CInternetSession* m_session;
    std::string m_server;
    std::uint16_t m_port;
};

class CFtpConnection : public CInternetConnection {
  public:
    // Connects and logs in now, with TLS as the address says (not Sftp); CInternetException
    // when that fails. A transfer that moves nothing for limits.stallSeconds ends, a slow
    // steady one never does; stop ends any operation within about a second.
    CFtpConnection(CInternetSession* session, const ServerAddress& address, const std::string& user,
                   const std::string& password, bool passive, const FtpLimits& limits = {},
                   StopCheck stop = {});
    ~CFtpConnection() override;
    void Close() override;

    bool IsOpen() const { return m_curl != nullptr; }

    // Enters path, relative to the login folder unless it starts with "/", in one CWD command.
    // Later operations work there; the folder is entered again only on a new control connection.
    bool SetCurrentDirectory(const std::string& path);
    bool Remove(const std::string& name);
    // The rename happens on the server in one RNFR/RNTO pair.
    bool Rename(const std::string& oldName, const std::string& newName);
    // True when the name exists in the current directory; CInternetException on other errors.
    bool FileExists(const std::string& name);
    // A file stored in binary under name when it is closed.
    std::unique_ptr<CInternetFile> OpenFile(const std::string& name);

    // Stores bytes under name, in passive mode when the active data connection cannot be made
    // (on a new control connection when the server may be stuck waiting for it);
    // CInternetException unless the server confirmed the transfer, with the active mode's
    // failure first.
    void Store(const std::string& name, const unsigned char* data, size_t size);

    // The exception for the last failed operation: the server's refusal in its own words,
    // else what happened (stopped, no answer, connection closed).
    CInternetException LastError(CURLcode code) const;

  private:
    // Runs commands on the control connection after entering the directory; CURLE_OK when
    // every one was accepted. A command starting with "*" may fail.
    CURLcode Commands(const std::vector<std::string>& commands);
    void Prepare(const std::string& name);
    // One STOR of the bytes under name in the current mode.
    CURLcode StoreOnce(const std::string& name, const unsigned char* data, size_t size);
    CURLcode Perform(curl_slist* commands = nullptr);
    // Drops the control connection without QUIT, which a server that stopped answering would
    // keep waiting for the whole reply time.
    void Abandon();
    // The error of a failed TLS handshake or certificate check.
    CInternetException TlsError(CURLcode code) const;
    // The error of a wait before the first command: for the connection, the greeting, or the
    // TLS handshake; "" once commands are exchanged.
    std::string EarlyStallText() const;
    // "host", or "host:port" when the port is not the one the prefix implies.
    std::string HostForPrefix(std::uint16_t defaultPort) const;
    // What the connection waits for; each wait gets its own limit.
    enum class Step { Connecting, Greeting, Handshake, Commands };
    void Enter(Step step);
    static int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* self);

    CURL* m_curl = nullptr;
    std::string m_base;
    std::string m_directory;  // escaped, with a trailing "/" unless it is the login folder
    std::string m_user;
    std::string m_password;
    bool m_passive;
    Transport m_transport;
    FtpLimits m_limits;
    CTransferWatch m_watch;
    CFtpReplyReader m_replies;
    std::string m_lastCommand;
    Step m_step = Step::Connecting;
    int m_activePort = 0;  // offered by the last PORT or EPRT
    bool m_transferring = false;
    bool m_storing = false;
    size_t m_storeSize = 0;
    size_t m_replyBytes = 0;  // of the replies curl handed on whole
    // Read only for TLS failures: in active mode curl leaves a stray line here on every transfer.
    char m_errorText[CURL_ERROR_SIZE] = {};
};

class CInternetFile {
  public:
    CInternetFile(CFtpConnection* connection, std::string name)
        : m_connection(connection), m_name(std::move(name)) {}
    virtual ~CInternetFile() = default;

    // Appends the bytes to what is stored on Close.
    virtual void Write(const unsigned char* data, size_t length);
    // Completes the transfer; CInternetException when the server did not confirm it.
    void Close();

  private:
    CFtpConnection* m_connection;
    std::string m_name;
    std::vector<unsigned char> m_bytes;
    bool m_closed = false;
};

class CInternetSession {
  public:
    explicit CInternetSession(const char* agent = nullptr);
    virtual ~CInternetSession() = default;
    virtual void Close() {}

    const std::string& Agent() const { return m_agent; }

    // A logged-in connection owned by the caller; CInternetException when it fails.
    std::unique_ptr<CFtpConnection> GetFtpConnection(const ServerAddress& address,
                                                     const std::string& user,
                                                     const std::string& password, bool passive,
                                                     const FtpLimits& limits = {},
                                                     StopCheck stop = {});

  private:
    std::string m_agent;
};
