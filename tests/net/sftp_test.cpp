#include <gtest/gtest.h>

#include <filesystem>

#include "base/settings.h"
#include "net/sftp_upload.h"
#include "support/ftp_upload.h"
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

}  // namespace
