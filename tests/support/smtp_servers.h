// SMTP peers for tests: a real server (aiosmtpd in a child process, plain or with TLS) and a
// scripted one of our own for servers that misbehave. Both listen on 127.0.0.1 on a free port.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LocalSmtpServer {
  public:
    struct Delivered {
        std::string from;
        std::vector<std::string> to;
        std::string content;
    };

    // No TLS; STARTTLS, required before any mail command, with AUTH only after it; or TLS
    // from the first byte.
    enum class Tls { None, StartTls, Implicit };

    // Without a user, no AUTH is offered; with one, MAIL FROM needs it. With TLS, the server
    // shows the certificate file and holds its key. It listens on host.
    explicit LocalSmtpServer(const std::string& user = "", const std::string& password = "",
                             Tls tls = Tls::None, const QString& certificate = {},
                             const QString& key = {}, const QString& host = "127.0.0.1") {
        QStringList arguments{QString(SKYVANE_SOURCE_DIR) + "/tests/servers/smtp_server.py",
                              m_mail.path(),
                              "--host",
                              host,
                              "--log",
                              m_mail.filePath("commands.log")};
        if (!user.empty()) {
            arguments << "--user" << QString::fromStdString(user) << "--password"
                      << QString::fromStdString(password);
        }
        if (tls != Tls::None) {
            arguments << (tls == Tls::StartTls ? "--starttls" : "--tls") << certificate << key;
        }
        m_process.start("/usr/bin/python3", arguments);
        if (m_process.waitForReadyRead(20000)) {
            m_port = m_process.readLine().trimmed().toInt();
        }
    }
    ~LocalSmtpServer() {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    int Port() const { return m_port; }

    // Every command line the server received, one a line.
    QByteArray CommandLog() const {
        QFile file(m_mail.filePath("commands.log"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The delivered messages in the order they arrived.
    std::vector<Delivered> Messages() const {
        std::vector<Delivered> messages;
        for (int n = 1;; ++n) {
            QFile file(m_mail.filePath(QString("%1.json").arg(n)));
            if (!file.open(QIODevice::ReadOnly)) {
                return messages;
            }
            QJsonObject record = QJsonDocument::fromJson(file.readAll()).object();
            Delivered message;
            message.from = record["mail_from"].toString().toStdString();
            for (const auto& to : record["rcpt_tos"].toArray()) {
                message.to.push_back(to.toString().toStdString());
            }
            message.content =
                QByteArray::fromBase64(record["content"].toString().toLatin1()).toStdString();
            messages.push_back(message);
        }
    }

  private:
    QTemporaryDir m_mail;
    QProcess m_process;
    int m_port = 0;
};

// One step of a scripted session: read a command starting with `expect` (nothing when it is
// empty; after a 354 the whole message up to the final dot), then send `reply` in the given
// segments, a little apart, after delayMs; or close the connection, or stay silent. A deaf step
// then reads nothing more, so that the client's sending stalls.
struct ScriptStep {
    std::string expect;
    std::vector<std::string> reply;
    bool close = false;
    int delayMs = 0;  // before the reply
    bool deaf = false;
};

class ScriptedSmtpServer {
  public:
    explicit ScriptedSmtpServer(std::vector<ScriptStep> script) : m_script(std::move(script)) {
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        listen(m_listener, 1);
        m_thread = std::thread([this] { Serve(); });
    }
    ~ScriptedSmtpServer() {
        m_ending = true;
        shutdown(m_listener, SHUT_RDWR);
        close(m_listener);
        Finish();
    }

    int Port() const { return m_port; }

    // What the client sent, one entry per command (the message text as one entry).
    std::vector<std::string> Received() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_received;
    }
    // Waits until the session is over: the client has gone or the script closed.
    void Finish() {
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    // Every byte the client sent, also after the script and when it was no command.
    std::string ReceivedBytes() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_bytes;
    }

  private:
    void Serve() {
        int client = accept(m_listener, nullptr, nullptr);
        if (client < 0) {
            return;
        }
        timeval wait{20, 0};
        setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        bool inData = false;
        std::string pending;
        for (const ScriptStep& step : m_script) {
            if (!step.expect.empty() || inData) {
                std::string end = inData ? "\r\n.\r\n" : "\r\n";
                while (pending.find(end) == std::string::npos) {
                    char buffer[4096];
                    ssize_t got = recv(client, buffer, sizeof buffer, 0);
                    if (got <= 0) {
                        close(client);
                        return;
                    }
                    pending.append(buffer, static_cast<size_t>(got));
                    Record(buffer, got);
                }
                size_t cut = pending.find(end) + end.size();
                std::lock_guard<std::mutex> guard(m_lock);
                m_received.push_back(pending.substr(0, cut));
                pending.erase(0, cut);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(step.delayMs));
            if (step.close) {
                close(client);
                return;
            }
            for (const std::string& segment : step.reply) {
                send(client, segment.data(), segment.size(), MSG_NOSIGNAL);
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            inData = !step.reply.empty() && step.reply.back().rfind("354", 0) == 0;
            if (step.deaf) {
                while (!m_ending) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }
                close(client);
                return;
            }
        }
        // Stays silent until the client gives up.
        char buffer[256];
        for (ssize_t got; (got = recv(client, buffer, sizeof buffer, 0)) > 0;) {
            Record(buffer, got);
        }
        close(client);
    }

    void Record(const char* data, ssize_t size) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_bytes.append(data, static_cast<size_t>(size));
    }

    std::vector<ScriptStep> m_script;
    int m_listener = -1;
    int m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_ending = false;
    std::mutex m_lock;
    std::vector<std::string> m_received;
    std::string m_bytes;
};
