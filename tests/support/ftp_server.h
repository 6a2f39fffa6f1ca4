// A real FTP server for tests (pyftpdlib in a child process) on 127.0.0.1 and a free port,
// serving a temporary folder.
#pragma once

#include <QProcess>
#include <QTemporaryDir>
#include <string>

class LocalFtpServer {
  public:
    // Serves on port, or on a free one when port is 0.
    explicit LocalFtpServer(int port = 0) {
        m_process.start("/usr/bin/python3",
                        {QString(SKYVANE_SOURCE_DIR) + "/tests/servers/ftp_server.py",
                         m_root.path(), QString::number(port)});
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

  private:
    QTemporaryDir m_root;
    QProcess m_process;
    int m_port = 0;
};
