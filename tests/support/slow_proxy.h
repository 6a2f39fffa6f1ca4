// A slow link in front of a local server (tests/servers/slow_proxy.py): everything the server
// sends arrives a fixed delay late.
#pragma once

#include <QProcess>

class SlowLink {
  public:
    SlowLink(int targetPort, double delaySeconds) {
        m_process.start("/usr/bin/python3",
                        {QString(SKYVANE_SOURCE_DIR) + "/tests/servers/slow_proxy.py",
                         QString::number(targetPort), QString::number(delaySeconds)});
        if (m_process.waitForReadyRead(20000)) {
            m_port = m_process.readLine().trimmed().toInt();
        }
    }
    ~SlowLink() {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    int Port() const { return m_port; }

  private:
    QProcess m_process;
    int m_port = 0;
};
