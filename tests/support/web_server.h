// A web server for tests (tests/servers/web_server.py) on 127.0.0.1 and a free port, serving a
// folder over HTTP, or HTTPS with a certificate; "silent" makes it accept and never answer.
#pragma once

#include <QProcess>
#include <QStringList>
#include <string>

class LocalWebServer {
  public:
    explicit LocalWebServer(const std::string& root, const QStringList& behaviours = {}) {
        m_process.start("/usr/bin/python3",
                        QStringList{QString(SKYVANE_SOURCE_DIR) + "/tests/servers/web_server.py",
                                    QString::fromStdString(root)} +
                            behaviours);
        if (m_process.waitForReadyRead(20000)) {
            m_port = m_process.readLine().trimmed().toInt();
        }
        m_scheme = behaviours.filter("cert=").isEmpty() ? "http" : "https";
    }
    ~LocalWebServer() {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    int Port() const { return m_port; }
    // The address of a path below the served folder ("" for the folder itself).
    std::string Url(const std::string& path) const {
        return m_scheme + "://127.0.0.1:" + std::to_string(m_port) + "/" + path;
    }

  private:
    QProcess m_process;
    int m_port = 0;
    std::string m_scheme;
};
