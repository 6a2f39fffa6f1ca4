#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/settings.h"
#include "support/ftp_server.h"
#include "support/ftp_upload.h"
#include "support/slow_proxy.h"
#include "support/test_certificates.h"
#include "support/test_files.h"

namespace {

bool holds(const std::vector<std::string>& commands, const std::string& command) {
    return std::find(commands.begin(), commands.end(), command) != commands.end();
}

class FtpTlsTest : public testing::Test {
  protected:
    void SetUp() override {
        CSettings::Instance().SetLangID(1033);
        ASSERT_TRUE(m_certificates.Made());
        m_certificates.Trust();
    }
    // A server that wants TLS, with the named certificate; more behaviours as given.
    std::unique_ptr<LocalFtpServer> tlsServer(const QString& certificate = "server",
                                              QStringList behaviours = {}) {
        behaviours << "cert=" + m_certificates.Certificate(certificate)
                   << "key=" + m_certificates.Key(certificate);
        auto server = std::make_unique<LocalFtpServer>(0, behaviours);
        EXPECT_GT(server->Port(), 0);
        return server;
    }
    static FtpSettings settings(const std::string& prefix, const LocalFtpServer& server) {
        return {prefix + "127.0.0.1:" + std::to_string(server.Port()), "station", "secret", "",
                "image.png"};
    }

    TestCertificates m_certificates;
};

TEST_F(FtpTlsTest, ExplicitAndImplicitTlsProtectLoginAndDataAndGoPassive) {
    auto server = tlsServer();
    ASSERT_EQ(tryUpload(settings("ftpes://", *server)), "");
    EXPECT_TRUE(readFile(server->Root() + "/image.png") == kImage);
    // A second upload replaces the image.
    ASSERT_EQ(tryUpload(settings("FTPES://", *server), "second"), "");
    EXPECT_EQ(readFile(server->Root() + "/image.png"), "second");
    EXPECT_FALSE(std::filesystem::exists(server->Root() + "/tmp_image.png"));
    for (const auto& session : server->Sessions()) {
        EXPECT_TRUE(holds(session, "AUTH TLS") && holds(session, "PROT P"));
        EXPECT_TRUE(holds(session, "EPSV"));
        EXPECT_TRUE(std::none_of(session.begin(), session.end(), [](const std::string& line) {
            return line.starts_with("PORT") || line.starts_with("EPRT");
        }));
    }

    auto implicit = tlsServer("server", {"implicit"});
    ASSERT_EQ(tryUpload(settings("ftps://", *implicit)), "");
    EXPECT_TRUE(readFile(implicit->Root() + "/image.png") == kImage);
}

TEST_F(FtpTlsTest, AMismatchBetweenPrefixAndServerSaysWhichPrefixToUse) {
    auto server = tlsServer();
    std::string port = std::to_string(server->Port());
    std::string error = tryUpload(settings("", *server));
    EXPECT_TRUE(contains(error, "550 SSL/TLS required on the control channel.")) << error;
    EXPECT_TRUE(contains(error, "put ftpes:// before the server name (ftpes://127.0.0.1:" + port))
        << error;

    error = tryUpload(settings("ftps://", *server), "x", {}, FtpLimits{5, 5, 5});
    EXPECT_TRUE(contains(error, "The TLS connection to 127.0.0.1:" + port)) << error;
    EXPECT_TRUE(contains(error, "put ftpes:// before its name instead of ftps://")) << error;

    LocalFtpServer plain;
    error = tryUpload(settings("ftpes://", plain));
    EXPECT_TRUE(contains(error, "The server did not start TLS (AUTH TLS): 500")) << error;
    EXPECT_FALSE(std::filesystem::exists(plain.Root() + "/image.png"));

    error = tryUpload(settings("http://", plain));
    EXPECT_TRUE(contains(error, "is not understood")) << error;
}

TEST_F(FtpTlsTest, AServerThatClosesDuringTheHandshakeGetsOurOwnWords) {
    for (auto [prefix, behaviour] : {std::pair{"ftps://", "close"}, {"ftpes://", "tlsclose"}}) {
        QStringList behaviours{behaviour};
        if (std::string(prefix) == "ftps://") {
            behaviours << "implicit";
        }
        auto server = tlsServer("server", behaviours);
        EXPECT_EQ(tryUpload(settings(prefix, *server)),
                  "The server 127.0.0.1:" + std::to_string(server->Port()) +
                      " closed the connection during the TLS handshake: it offers no TLS on this "
                      "port, or none that this computer accepts.")
            << prefix;
    }
}

TEST_F(FtpTlsTest, ALinkThatDelaysEveryAnswerStillUploads) {
    // Each wait is well within its limit; the whole login is not.
    auto server = tlsServer();
    SlowLink link(server->Port(), 0.7);
    FtpSettings slow{"ftpes://127.0.0.1:" + std::to_string(link.Port()), "station", "secret", "",
                     "image.png"};
    EXPECT_EQ(tryUpload(slow, kImage, {}, FtpLimits{2, 2, 2}), "");
    EXPECT_TRUE(readFile(server->Root() + "/image.png") == kImage);
}

TEST_F(FtpTlsTest, UntrustedCertificatesAreRefusedWithTheReason) {
    struct Case {
        QString certificate;
        std::string reason;
    };
    for (const Case& check :
         {Case{"wronghost", "hostname mismatch"}, Case{"selfsigned", "self-signed certificate"}}) {
        auto server = tlsServer(check.certificate);
        std::string error = tryUpload(settings("ftpes://", *server));
        EXPECT_TRUE(contains(error, "The server's certificate is not trusted: " + check.reason))
            << error;
        EXPECT_TRUE(contains(error, "SSL_CERT_FILE")) << error;
        // Refused before the login: nothing was stored, no password went out.
        auto sessions = server->Sessions();
        ASSERT_FALSE(sessions.empty());
        EXPECT_FALSE(holds(sessions[0], "PASS"));
        EXPECT_FALSE(std::filesystem::exists(server->Root() + "/tmp_image.png"));
    }
}

}  // namespace
