#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>

#include "base/settings.h"
#include "net/internet.h"
#include "net/sftp_upload.h"
#include "support/ftp_server.h"
#include "support/ftp_upload.h"
#include "support/slow_proxy.h"
#include "support/ssh_server.h"
#include "support/test_files.h"

namespace {

class SftpTest : public testing::Test {
  protected:
    void SetUp() override {
        CSettings::Instance().SetLangID(1033);
        if (!m_server.Problem().isEmpty()) {
            GTEST_SKIP() << m_server.Problem().toStdString();
        }
        std::filesystem::remove(KnownHostsFile());
        // Used where only keys log in (as anyone but root).
        ASSERT_TRUE(m_server.MakeKey(keyFile("id_ed25519")));
    }
    static QString keyFile(const QString& name) {
        return QString::fromStdString(KnownHostsFile()).section('/', 0, -2) + "/" + name;
    }
    FtpSettings settings(const std::string& folder = "") const {
        return {"sftp://127.0.0.1:" + std::to_string(m_server.Port()), m_server.User(),
                m_server.Password(), folder, "image.png"};
    }
    std::string where() const { return "127.0.0.1:" + std::to_string(m_server.Port()); }

    LocalSshServer m_server;
};

TEST_F(SftpTest, UploadsUnderATemporaryNameThenReplacesTheImage) {
    std::string folder = m_server.MakeFolder("htdocs/weather");
    // Relative to the login folder, and absolute.
    for (const std::string& path : {std::string("htdocs/weather"), folder}) {
        writeFile(folder + "/tmp_image.png", "left over");
        m_server.MakeFolder("htdocs/weather");
        ASSERT_EQ(tryUpload(settings(path)), "") << path;
        EXPECT_TRUE(readFile(folder + "/image.png") == kImage);
        ASSERT_EQ(tryUpload(settings(path), "second"), "") << path;
        EXPECT_EQ(readFile(folder + "/image.png"), "second");
        EXPECT_FALSE(std::filesystem::exists(folder + "/tmp_image.png"));
        std::filesystem::remove(folder + "/image.png");
    }
    ASSERT_EQ(tryUpload(settings()), "");
    EXPECT_TRUE(readFile(m_server.Home() + "/image.png") == kImage);
    // The new host's key was recorded on first use.
    EXPECT_TRUE(contains(readFile(KnownHostsFile()),
                         "[127.0.0.1]:" + std::to_string(m_server.Port()) + " ssh-ed25519 AAAA"));
}

TEST_F(SftpTest, AChangedHostKeyIsRefusedNamingBothFingerprints) {
    ASSERT_EQ(tryUpload(settings()), "");
    std::string known = m_server.Fingerprint();
    ASSERT_TRUE(m_server.ChangeHostKey());
    std::string error = tryUpload(settings(), "spoofed");
    EXPECT_TRUE(contains(error, "The host key of " + where() + " has changed")) << error;
    EXPECT_TRUE(contains(error, KnownHostsFile() + " holds " + known)) << error;
    EXPECT_TRUE(contains(error, "now shows " + m_server.Fingerprint())) << error;
    EXPECT_TRUE(readFile(m_server.Home() + "/image.png") == kImage);
}

TEST_F(SftpTest, ARefusedLoginAMissingFolderAndAStopSayWhatHappened) {
    FtpSettings wrong = settings();
    wrong.password = "wrong";
    std::string error = tryUpload(wrong);
    EXPECT_TRUE(contains(error, "The SSH connection to " + where() + " failed")) << error;
    error = tryUpload(settings("no/such/folder"));
    EXPECT_TRUE(contains(error, "The SSH connection to " + where() + " failed")) << error;
    // A stop (Skyvane closing) ends the upload with its own text.
    error = tryUpload(settings(), kImage, [] { return true; });
    EXPECT_TRUE(contains(error, "stopped before it finished")) << error;
    EXPECT_FALSE(std::filesystem::exists(m_server.Home() + "/image.png"));
}

TEST_F(SftpTest, ALinkThatDelaysEveryAnswerStillUploads) {
    // Each wait is well within its limit; the whole login is not.
    SlowLink link(m_server.Port(), 0.7);
    FtpSettings slow = settings();
    slow.serverName = "sftp://127.0.0.1:" + std::to_string(link.Port());
    EXPECT_EQ(tryUpload(slow, kImage, {}, FtpLimits{2, 2, 2}), "");
    EXPECT_TRUE(readFile(m_server.Home() + "/image.png") == kImage);
}

TEST_F(SftpTest, TheWrongKindOfServerIsNamed) {
    LocalFtpServer ftp;
    LocalFtpServer silent(0, {"silent"});
    std::string ftpWhere = "127.0.0.1:" + std::to_string(ftp.Port());
    std::string silentWhere = "127.0.0.1:" + std::to_string(silent.Port());
    const std::pair<std::string, std::string> cases[] = {
        {"sftp://" + ftpWhere,
         "The server " + ftpWhere + " is not an SSH server (it greeted with \"220 pyftpdlib"},
        {"sftp://" + silentWhere,
         "The server " + silentWhere +
             " accepted the connection but sent no SSH greeting within 1 seconds."},
        {"ftp://" + where(),
         "The server " + where() + " is an SSH server (it greeted with \"SSH-2.0-OpenSSH"},
    };
    for (const auto& [server, expected] : cases) {
        FtpSettings wrong = settings();
        wrong.serverName = server;
        wrong.password = "any";
        std::string error = tryUpload(wrong, kImage, {}, FtpLimits{2, 1, 1});
        EXPECT_TRUE(contains(error, expected)) << error;
    }
}

TEST(SftpHostKeys, AServerWithOnlyAnRsaHostKeyIsExplained) {
    LocalSshServer server({"rsa", true});
    if (!server.Problem().isEmpty()) {
        GTEST_SKIP() << server.Problem().toStdString();
    }
    std::string where = "127.0.0.1:" + std::to_string(server.Port());
    FtpSettings ftp{"sftp://" + where, server.User(), "any", "", "image.png"};
    std::string error = tryUpload(ftp);
    EXPECT_TRUE(contains(error, "Skyvane and the SSH server " + where +
                                    " could not agree on how to secure the connection."))
        << error;
}

TEST(SftpKeys, AnEmptyPasswordLogsInByAgentOrKeyFileAsSshDoes) {
    LocalSshServer server({"ed25519", false});
    if (!server.Problem().isEmpty()) {
        GTEST_SKIP() << server.Problem().toStdString();
    }
    std::string where = "127.0.0.1:" + std::to_string(server.Port());
    QString ssh = QString(getenv("HOME")) + "/.ssh";
    FtpSettings ftp{"sftp://" + where, server.User(), "", "", "image.png"};
    QDir(ssh).removeRecursively();
    EXPECT_EQ(tryUpload(ftp), "No key to log in to " + where +
                                  " by SSH: no SSH agent (SSH_AUTH_SOCK) and none of "
                                  "~/.ssh/id_ed25519, id_ecdsa, id_rsa. Enter the password, or "
                                  "make a key with ssh-keygen and add its public key to the "
                                  "server.");

    // A refused key is passed over for the next one.
    ASSERT_TRUE(server.MakeKey(ssh + "/id_ed25519", false));
    EXPECT_TRUE(contains(tryUpload(ftp), "refused the login by key (tried: ~/.ssh/id_ed25519)"));
    ASSERT_TRUE(server.MakeKey(ssh + "/id_rsa"));
    EXPECT_EQ(tryUpload(ftp), "");
    EXPECT_TRUE(readFile(server.Home() + "/image.png") == kImage);

    // The agent comes first, and its key alone will do.
    QDir(ssh).removeRecursively();
    QString agentKey = QString(getenv("HOME")) + "/agent_key";
    ASSERT_TRUE(server.MakeKey(agentKey));
    QString socket = QString(getenv("HOME")) + "/agent.sock";
    QProcess agent;
    agent.start("ssh-agent", {"-D", "-a", socket});
    ASSERT_TRUE(agent.waitForStarted());
    for (int i = 0; i < 100 && !QFile::exists(socket); ++i) {
        QThread::msleep(50);
    }
    setenv("SSH_AUTH_SOCK", socket.toUtf8().constData(), 1);
    QProcess add;
    add.start("ssh-add", {"-q", agentKey});
    EXPECT_TRUE(add.waitForFinished() && add.exitCode() == 0);
    EXPECT_EQ(tryUpload(ftp, "by agent"), "");
    EXPECT_EQ(readFile(server.Home() + "/image.png"), "by agent");
    unsetenv("SSH_AUTH_SOCK");
    agent.terminate();
    agent.waitForFinished();
}

}  // namespace
