// A test server that is a Python script in tests/servers/: it prints its port on its first line
// and stops when its standard input closes.
#pragma once

#include <QProcess>
#include <QStringList>

class ScriptServer {
  public:
    ScriptServer(const QString& script, const QStringList& arguments) {
        m_process.start(
            "/usr/bin/python3",
            QStringList{QString(SKYVANE_SOURCE_DIR) + "/tests/servers/" + script} + arguments);
        if (m_process.waitForReadyRead(20000)) {
            m_port = m_process.readLine().trimmed().toInt();
        }
    }
    ~ScriptServer() {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    ScriptServer(const ScriptServer&) = delete;
    ScriptServer& operator=(const ScriptServer&) = delete;

    int Port() const { return m_port; }

  private:
    QProcess m_process;
    int m_port = 0;
};
