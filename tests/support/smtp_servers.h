// SMTP peers for tests: a real server (aiosmtpd in a child process) and a scripted one of our
// own for servers that misbehave. Both listen on 127.0.0.1 on a free port.
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

    // Without a user, no AUTH is offered; with one, MAIL FROM needs it.
    explicit LocalSmtpServer(const std::string& user = "", const std::string& password = "") {
        QStringList arguments{QString(SKYVANE_SOURCE_DIR) + "/tests/servers/smtp_server.py",
                              m_mail.path()};
        if (!user.empty()) {
            arguments << QString::fromStdString(user) << QString::fromStdString(password);
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
// segments, a little apart, after delayMs; or close the connection, or stay silent.
struct ScriptStep {
    std::string expect;
    std::vector<std::string> reply;
    bool close = false;
    int delayMs = 0;  // before the reply
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
        shutdown(m_listener, SHUT_RDWR);
        close(m_listener);
        m_thread.join();
    }

    int Port() const { return m_port; }

    // What the client sent, one entry per command (the message text as one entry).
    std::vector<std::string> Received() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_received;
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
        }
        // Stays silent until the client gives up.
        char buffer[256];
        while (recv(client, buffer, sizeof buffer, 0) > 0) {
        }
        close(client);
    }

    std::vector<ScriptStep> m_script;
    int m_listener = -1;
    int m_port = 0;
    std::thread m_thread;
    std::mutex m_lock;
    std::vector<std::string> m_received;
};
