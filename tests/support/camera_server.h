// A webcam on 127.0.0.1 (tests/servers/camera_server.py): a picture file behind basic or digest
// authentication, plain or over TLS, and the ways a camera goes wrong.
#pragma once

#include <QProcess>
#include <QString>

class CameraServer {
  public:
    // Serves picture to user:password; over TLS when certificate and key are given.
    CameraServer(const QString& picture, const QString& user, const QString& password,
                 const QString& certificate = {}, const QString& key = {}) {
        QStringList arguments{QString(SKYVANE_SOURCE_DIR) + "/tests/servers/camera_server.py",
                              picture, user, password};
        if (!certificate.isEmpty()) {
            arguments << certificate << key;
        }
        m_process.start("/usr/bin/python3", arguments);
        if (m_process.waitForReadyRead(20000)) {
            m_port = m_process.readLine().trimmed().toInt();
        }
    }
    ~CameraServer() {
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
