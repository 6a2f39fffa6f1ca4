// A real FTP server for tests (pyftpdlib in a child process) on 127.0.0.1 and a free port,
// serving a temporary folder; behaviours make it misbehave (see tests/servers/ftp_server.py).
#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <string>
#include <vector>

class LocalFtpServer {
  public:
    // Serves on port, or on a free one when port is 0.
    explicit LocalFtpServer(int port = 0, const QStringList& behaviours = {}) {
        m_process.start(
            "/usr/bin/python3",
            QStringList{QString(SKYVANE_SOURCE_DIR) + "/tests/servers/ftp_server.py", m_root.path(),
                        QString::number(port), "log=" + m_logDir.filePath("commands")} +
                behaviours);
        if (m_process.waitForReadyRead(20000)) {
            m_port = m_process.readLine().trimmed().toInt();
        }
    }
    ~LocalFtpServer() { Stop(); }

    void Stop() {
        if (m_process.state() == QProcess::NotRunning) {
            return;
        }
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    // Ends the server at once, in the middle of whatever it does.
    void Kill() {
        m_process.kill();
        m_process.waitForFinished();
    }

    int Port() const { return m_port; }
    // The folder the server serves, without a trailing "/".
    std::string Root() const { return m_root.path().toStdString(); }

    // The control connections since the last call, each as the commands it received; waits
    // until the last one has said QUIT (or for two seconds).
    std::vector<std::vector<std::string>> Sessions() {
        QFile file(m_logDir.filePath("commands"));
        QByteArray log;
        for (int i = 0; i < 20 && !log.endsWith("QUIT\n"); ++i) {
            QThread::msleep(i == 0 ? 0 : 100);
            file.open(QIODevice::ReadOnly);
            file.seek(m_logRead);
            log = file.readAll();
            file.close();
        }
        m_logRead += log.size();
        std::vector<std::vector<std::string>> sessions;
        for (const QByteArray& line : log.split('\n')) {
            if (line == "connect") {
                sessions.emplace_back();
            } else if (!line.isEmpty() && !sessions.empty()) {
                sessions.back().push_back(line.toStdString());
            }
        }
        return sessions;
    }

  private:
    QTemporaryDir m_root;
    QTemporaryDir m_logDir;
    QProcess m_process;
    int m_port = 0;
    qint64 m_logRead = 0;
};
