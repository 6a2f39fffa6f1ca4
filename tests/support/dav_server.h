// A real WebDAV server for tests: Debian's apache2 with mod_dav_fs on 127.0.0.1 and a free port,
// started with a config of its own in a temporary folder, over HTTP or (with a certificate)
// HTTPS. /dav/ needs a Basic login, /digest/ a Digest login, /open/ none; /readonly/ takes no
// writes. As root the server
// runs as www-data, which then owns the served folders.
#pragma once

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <string>

#include "support/local_ports.h"

class LocalDavServer {
  public:
    static constexpr const char* kUser = "station";
    static constexpr const char* kPassword = "secret";

    // Over HTTPS with the certificate and key when they are given.
    explicit LocalDavServer(const QString& certificate = {}, const QString& key = {}) {
        QFile::setPermissions(m_folder.path(), QFile::permissions(m_folder.path()) |
                                                   QFileDevice::ExeGroup | QFileDevice::ExeOther);
        for (const char* area : {"dav", "digest", "open", "readonly", "locks"}) {
            QDir().mkpath(Path(area));
        }
        m_port = FreeLocalPort();
        if (!run("htpasswd", {"-cbB", Path("passwords"), kUser, kPassword}) || !WriteDigestFile() ||
            !WriteConfig(certificate, key) ||
            (geteuid() == 0 && !run("chown", {"-R", "www-data:www-data", m_folder.path()}))) {
            return;
        }
        m_process.setStandardOutputFile(Path("error.log"), QIODevice::Append);
        m_process.setStandardErrorFile(Path("error.log"), QIODevice::Append);
        m_process.start("/usr/sbin/apache2", {"-f", Path("httpd.conf"), "-DFOREGROUND"});
        for (int i = 0; i < 200 && m_process.waitForStarted(100); ++i) {
            if (AcceptsOnLocalPort(m_port)) {
                m_running = true;
                return;
            }
            QThread::msleep(50);
        }
    }
    ~LocalDavServer() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    bool Running() const { return m_running; }
    int Port() const { return m_port; }
    // The folder served at /name, without a trailing "/".
    std::string Root(const QString& name = "dav") const { return Path(name).toStdString(); }
    // The server's error log, for a test that failed.
    std::string Log() const {
        QFile file(Path("error.log"));
        file.open(QIODevice::ReadOnly);
        return file.readAll().toStdString();
    }

  private:
    QString Path(const QString& name) const { return m_folder.filePath(name); }

    bool WriteDigestFile() const {
        QByteArray line = QByteArray(kUser) + ":skyvane:" + kPassword;
        QFile file(Path("digest-passwords"));
        return file.open(QIODevice::WriteOnly) &&
               file.write(QByteArray(kUser) + ":skyvane:" +
                          QCryptographicHash::hash(line, QCryptographicHash::Md5).toHex() + "\n") >
                   0;
    }

    bool WriteConfig(const QString& certificate, const QString& key) const {
        QString modules = "/usr/lib/apache2/modules/";
        QString text;
        for (const char* module :
             {"mpm_event", "authn_core", "authn_file", "auth_basic", "auth_digest", "authz_core",
              "authz_user", "dav", "dav_fs", "ssl"}) {
            text += QString("LoadModule %1_module %2mod_%1.so\n").arg(module, modules);
        }
        text += QString(
                    "ServerRoot \"%1\"\n"
                    "ServerName localhost\n"
                    "DefaultRuntimeDir \"%1\"\n"
                    "PidFile \"%1/httpd.pid\"\n"
                    "ErrorLog \"%1/error.log\"\n"
                    "LogLevel warn\n"
                    "Listen 127.0.0.1:%2\n"
                    "DavLockDB \"%1/locks/lock\"\n"
                    "DocumentRoot \"%1\"\n"
                    "<Directory \"%1\">\n  Require all denied\n</Directory>\n"
                    "<Directory \"%1/readonly\">\n  Dav On\n  <LimitExcept GET OPTIONS PROPFIND>\n"
                    "    Require all denied\n  </LimitExcept>\n</Directory>\n"
                    "<Directory \"%1/open\">\n  Dav On\n  Require all granted\n</Directory>\n"
                    "<Directory \"%1/dav\">\n  Dav On\n  AuthType Basic\n"
                    "  AuthName skyvane\n  AuthUserFile \"%1/passwords\"\n"
                    "  Require valid-user\n</Directory>\n"
                    "<Directory \"%1/digest\">\n  Dav On\n  AuthType Digest\n"
                    "  AuthName skyvane\n  AuthDigestProvider file\n"
                    "  AuthUserFile \"%1/digest-passwords\"\n  Require valid-user\n"
                    "</Directory>\n")
                    .arg(m_folder.path())
                    .arg(m_port);
        if (geteuid() == 0) {
            text += "User www-data\nGroup www-data\n";
        }
        if (!certificate.isEmpty()) {
            text +=
                QString("SSLEngine on\nSSLCertificateFile \"%1\"\nSSLCertificateKeyFile \"%2\"\n")
                    .arg(certificate, key);
        }
        QFile file(Path("httpd.conf"));
        return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0;
    }

    static bool run(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    QTemporaryDir m_folder;
    QProcess m_process;
    int m_port = 0;
    bool m_running = false;
};
