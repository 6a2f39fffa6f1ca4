// Certificates for TLS tests, made with the openssl command: a test authority, a server
// certificate it signed for 127.0.0.1 and localhost, one it signed for another host name, and a
// self-signed one. Trust() hands the authority to Skyvane through SSL_CERT_FILE.
#pragma once

#include <stdlib.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <string>

class TestCertificates {
  public:
    TestCertificates() {
        m_made = openssl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256",
                          "-nodes", "-keyout", Path("ca.key"), "-out", Path("ca.pem"), "-days",
                          "30", "-subj", "/CN=Skyvane Test Authority"}) &&
                 Sign("server", "/CN=localhost", "subjectAltName=IP:127.0.0.1,DNS:localhost") &&
                 Sign("wronghost", "/CN=wrong.example", "subjectAltName=DNS:wrong.example") &&
                 openssl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256",
                          "-nodes", "-keyout", Path("selfsigned.key"), "-out",
                          Path("selfsigned.pem"), "-days", "30", "-subj", "/CN=localhost",
                          "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost"});
        const char* previous = getenv("SSL_CERT_FILE");
        m_hadPrevious = previous != nullptr;
        m_previous = m_hadPrevious ? previous : "";
    }
    ~TestCertificates() {
        if (m_hadPrevious) {
            setenv("SSL_CERT_FILE", m_previous.c_str(), 1);
        } else {
            unsetenv("SSL_CERT_FILE");
        }
    }

    bool Made() const { return m_made; }
    // Makes the test authority the only one trusted, until this object goes.
    void Trust() const { setenv("SSL_CERT_FILE", Path("ca.pem").toUtf8().constData(), 1); }

    // "<name>.pem" and "<name>.key" for name "server", "wronghost" or "selfsigned".
    QString Certificate(const QString& name) const { return Path(name + ".pem"); }
    QString Key(const QString& name) const { return Path(name + ".key"); }
    QString Authority() const { return Path("ca.pem"); }

  private:
    QString Path(const QString& name) const { return m_folder.filePath(name); }

    bool Sign(const QString& name, const QString& subject, const QString& names) {
        QString extensions = Path(name + ".ext");
        QFile file(extensions);
        if (!file.open(QIODevice::WriteOnly) || file.write(names.toUtf8() + "\n") < 0) {
            return false;
        }
        file.close();
        return openssl({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes",
                        "-keyout", Path(name + ".key"), "-out", Path(name + ".csr"), "-subj",
                        subject}) &&
               openssl({"x509", "-req", "-in", Path(name + ".csr"), "-CA", Path("ca.pem"), "-CAkey",
                        Path("ca.key"), "-CAcreateserial", "-out", Path(name + ".pem"), "-days",
                        "30", "-extfile", extensions});
    }

    static bool openssl(const QStringList& arguments) {
        QProcess process;
        process.start("openssl", arguments);
        return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    QTemporaryDir m_folder;
    bool m_made = false;
    bool m_hadPrevious = false;
    std::string m_previous;
};
