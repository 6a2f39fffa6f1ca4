// A real SSH file transfer server for tests: OpenSSH's sshd on 127.0.0.1 and a free port, with
// its own configuration, host key and authorized keys, and a login folder in a temporary folder.
// As root it logs in a system user of its own (made with useradd, removed again) by password or
// key; as anyone else it runs as that user and logs only them in, by key.
#pragma once

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <string>

#include "support/local_ports.h"

class LocalSshServer {
  public:
    struct Options {
        QString hostKeyType = "ed25519";
        bool passwords = true;  // as root; as anyone else only keys log in
    };

    LocalSshServer() : LocalSshServer(Options{}) {}
    explicit LocalSshServer(const Options& options) : m_options(options), m_root(geteuid() == 0) {
        // The user's session must reach its home inside.
        QFile::setPermissions(m_folder.path(), QFile::permissions(m_folder.path()) |
                                                   QFileDevice::ExeGroup | QFileDevice::ExeOther);
        m_home = m_folder.filePath("home");
        QDir().mkpath(m_home);
        QFile(m_folder.filePath("authorized_keys")).open(QIODevice::WriteOnly);
        if (m_root) {
            QDir().mkpath("/run/sshd");
            m_user = QString("skyvane-sftp-%1").arg(getpid());
            m_password = QString("pw-%1-%2").arg(getpid()).arg(time(nullptr));
            // SHA-512 rather than the system's deliberately slow default, so that a login costs
            // what the protocol costs.
            if (!run("useradd", {"-M", "-d", m_home, "-s", "/usr/sbin/nologin", m_user}) ||
                !runWithInput("chpasswd", {"-c", "SHA512"},
                              (m_user + ":" + m_password + "\n").toUtf8()) ||
                !run("chown", {m_user, m_home})) {
                m_problem = "useradd or chpasswd failed";
                return;
            }
            m_madeUser = true;
        } else {
            const passwd* self = getpwuid(geteuid());
            m_user = self != nullptr ? self->pw_name : "";
        }
        m_port = FreeLocalPort();
        if (!NewHostKey() || !Start()) {
            m_problem = "sshd did not start";
        }
    }
    ~LocalSshServer() {
        Stop();
        if (m_madeUser) {
            run("userdel", {"-f", m_user});
        }
    }

    // "" when the server runs, else why not.
    const QString& Problem() const { return m_problem; }
    int Port() const { return m_port; }
    std::string User() const { return m_user.toStdString(); }
    // "" when only keys log in.
    std::string Password() const { return m_options.passwords ? m_password.toStdString() : ""; }

    // Makes an unencrypted key pair at path (and path.pub) and lets it log in when authorized.
    bool MakeKey(const QString& path, bool authorized = true) {
        QFile::remove(path);
        QFile::remove(path + ".pub");
        QDir().mkpath(QFileInfo(path).path());
        if (!run("ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-f", path})) {
            return false;
        }
        if (!authorized) {
            return true;
        }
        QFile pub(path + ".pub");
        QFile keys(m_folder.filePath("authorized_keys"));
        return pub.open(QIODevice::ReadOnly) && keys.open(QIODevice::Append) &&
               keys.write(pub.readAll()) > 0;
    }
    // The user's login folder, where relative paths start.
    std::string Home() const { return m_home.toStdString(); }

    // A folder below the home that the user may write in; its path.
    std::string MakeFolder(const QString& name) {
        QString path = QDir(m_home).filePath(name);
        QDir().mkpath(path);
        run("chown", {"-R", m_user, m_home});
        return path.toStdString();
    }

    // "SHA256:..." of the host key, as ssh-keygen -l shows it.
    std::string Fingerprint() const {
        QProcess process;
        process.start("ssh-keygen", {"-l", "-f", m_folder.filePath("host_key.pub")});
        process.waitForFinished(10000);
        return QString(process.readAllStandardOutput()).section(' ', 1, 1).toStdString();
    }

    // Starts again on the same port with a new host key, as a replaced (or spoofed) server.
    bool ChangeHostKey() {
        Stop();
        return NewHostKey() && Start();
    }

  private:
    bool NewHostKey() {
        QString key = m_folder.filePath("host_key");
        QFile::remove(key);
        QFile::remove(key + ".pub");
        return run("ssh-keygen", {"-q", "-t", m_options.hostKeyType, "-N", "", "-f", key});
    }

    bool Start() {
        QString config = m_folder.filePath("sshd_config");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly)) {
            return false;
        }
        // The login folder is the session's start folder, so a user running the tests never
        // sees their own home touched.
        file.write(QString("Port %1\n"
                           "ListenAddress 127.0.0.1\n"
                           "HostKey %2\n"
                           "PidFile %3\n"
                           "UsePAM no\n"
                           "PasswordAuthentication %4\n"
                           "KbdInteractiveAuthentication no\n"
                           "PubkeyAuthentication yes\n"
                           "AuthorizedKeysFile %5\n"
                           "PermitRootLogin no\n"
                           "AllowUsers %6\n"
                           "StrictModes no\n"
                           "Subsystem sftp internal-sftp\n"
                           "ForceCommand internal-sftp -d %7\n"
                           "LogLevel ERROR\n")
                       .arg(m_port)
                       .arg(m_folder.filePath("host_key"), m_folder.filePath("sshd.pid"),
                            m_options.passwords && m_root ? "yes" : "no",
                            m_folder.filePath("authorized_keys"), m_user, m_home)
                       .toUtf8());
        file.close();
        m_process.start("/usr/sbin/sshd", {"-D", "-e", "-f", config});
        if (!m_process.waitForStarted(10000)) {
            return false;
        }
        for (int i = 0; i < 100; ++i) {
            if (AcceptsOnLocalPort(m_port)) {
                return true;
            }
            QThread::msleep(50);
        }
        return false;
    }

    void Stop() {
        if (m_process.state() == QProcess::NotRunning) {
            return;
        }
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    static bool run(const QString& program, const QStringList& arguments) {
        return runWithInput(program, arguments, {});
    }

    static bool runWithInput(const QString& program, const QStringList& arguments,
                             const QByteArray& input) {
        QProcess process;
        process.start(program, arguments);
        process.write(input);
        process.closeWriteChannel();
        return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    Options m_options;
    bool m_root;
    QTemporaryDir m_folder;
    QString m_home;
    QString m_user;
    QString m_password;
    QString m_problem;
    QProcess m_process;
    int m_port = 0;
    bool m_madeUser = false;
};
