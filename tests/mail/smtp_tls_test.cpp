#include <gtest/gtest.h>

#include <QByteArray>
#include <stdexcept>

#include "base/lang_string.h"
#include "base/settings.h"
#include "base/string_ids.h"
#include "mail/email_publisher.h"
#include "net/tls_trust.h"
#include "support/smtp_servers.h"
#include "support/test_certificates.h"

namespace {

using Tls = LocalSmtpServer::Tls;

const std::string kImage = [] {
    std::string bytes(3000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>((i * 7919) % 256);
    }
    return bytes;
}();

EmailSettings settingsFor(const std::string& server, const std::string& user) {
    EmailSettings settings;
    settings.smtpServer = server;
    settings.smtpUserName = user;
    settings.smtpPassword = "s3cret";
    settings.senderName = "Garden Station";
    settings.senderEmail = "station@example.org";
    settings.recipients = "alice@example.org";
    return settings;
}

std::string sendError(const EmailSettings& settings) {
    try {
        SendImageByEmail(settings, reinterpret_cast<const unsigned char*>(kImage.data()),
                         kImage.size(), true);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

std::string sendError(const std::string& server, const std::string& user = "station") {
    return sendError(settingsFor(server, user));
}

// The image as the server got it.
std::string deliveredImage(const LocalSmtpServer& server) {
    std::vector<LocalSmtpServer::Delivered> messages = server.Messages();
    if (messages.size() != 1) {
        return "";
    }
    const std::string& text = messages[0].content;
    size_t start = text.find("\r\n\r\n", text.find("name=\"weatherimage.jpg\"")) + 4;
    std::string body = text.substr(start, text.find("\r\n--", start) - start);
    return QByteArray::fromBase64(QByteArray::fromStdString(body)).toStdString();
}

std::string at(const char* prefix, const std::string& host, int port) {
    return prefix + host + ":" + std::to_string(port);
}

class SmtpTlsTest : public testing::Test {
  protected:
    void SetUp() override {
        CSettings::Instance().SetLangID(1033);
        ASSERT_TRUE(certificates.Made());
        certificates.Trust();
    }

    LocalSmtpServer ServerWith(Tls tls, const QString& certificate) {
        return LocalSmtpServer("station", "s3cret", tls, certificates.Certificate(certificate),
                               certificates.Key(certificate));
    }

    TestCertificates certificates;
};

TEST_F(SmtpTlsTest, StartTlsAndImplicitTlsDeliverTheMessageIntact) {
    // STARTTLS is required there before MAIL FROM, and AUTH is offered only after it.
    LocalSmtpServer starting = ServerWith(Tls::StartTls, "server");
    ASSERT_GT(starting.Port(), 0);
    EXPECT_EQ(sendError(at("", "localhost", starting.Port())), "");
    EXPECT_TRUE(deliveredImage(starting) == kImage);
    CSmtp smtp;
    smtp.port = static_cast<std::uint16_t>(starting.Port());
    ASSERT_TRUE(smtp.Connect("127.0.0.1"));
    EXPECT_TRUE(smtp.IsEncrypted());
    smtp.Disconnect();

    LocalSmtpServer implicit = ServerWith(Tls::Implicit, "server");
    ASSERT_GT(implicit.Port(), 0);
    EXPECT_EQ(sendError(at("smtps://", "127.0.0.1", implicit.Port())), "");
    EXPECT_TRUE(deliveredImage(implicit) == kImage);
    // Asked in plain, that server says nothing; the wait ends with the advice.
    smtp.port = static_cast<std::uint16_t>(implicit.Port());
    smtp.timeoutSeconds = 1;
    EXPECT_FALSE(smtp.Connect("127.0.0.1"));
    EXPECT_EQ(smtp.LastFailure(),
              "The server sent no greeting within 1 seconds.\nIf the server expects TLS from the "
              "start, put smtps:// before its name.");
}

TEST_F(SmtpTlsTest, CredentialsOnlyOverTlsUnlessTheUserAllowsOtherwise) {
    LocalSmtpServer starting = ServerWith(Tls::StartTls, "server");
    EmailSettings settings = settingsFor(at("", "localhost", starting.Port()), "station");
    settings.smtpPassword = "wrong";
    EXPECT_EQ(sendError(settings),
              "The server refused the login: 535 5.7.8 Authentication credentials invalid\nCheck "
              "the user name and password.");
    EXPECT_TRUE(starting.Messages().empty());

    // Offered AUTH in the clear: nothing of it is sent until the user allows it for the image.
    LocalSmtpServer plain("station", "s3cret");
    settings = settingsFor(at("", "127.0.0.1", plain.Port()), "station");
    EXPECT_EQ(sendError(settings), LangString(kTextLoginNeedsTls, {"127.0.0.1"}));
    EXPECT_FALSE(plain.CommandLog().toUpper().contains("B'AUTH"));
    EXPECT_TRUE(plain.Messages().empty());
    settings.allowPlainLogin = true;
    EXPECT_EQ(sendError(settings), "");
    EXPECT_TRUE(plain.CommandLog().toUpper().contains("B'AUTH LOGIN"));
    EXPECT_EQ(plain.Messages().size(), 1u);
}

TEST_F(SmtpTlsTest, UntrustedCertificatesAreRefused) {
    struct Case {
        Tls tls;
        const char* certificate;
        const char* host;
        const char* reason;
    };
    for (const Case& test :
         {Case{Tls::StartTls, "wronghost", "localhost", "hostname mismatch"},
          Case{Tls::Implicit, "wronghost", "127.0.0.1", "IP address mismatch"},
          Case{Tls::StartTls, "selfsigned", "127.0.0.1", "self-signed certificate"},
          Case{Tls::Implicit, "selfsigned", "localhost", "self-signed certificate"}}) {
        LocalSmtpServer server = ServerWith(test.tls, test.certificate);
        ASSERT_GT(server.Port(), 0);
        const char* prefix = test.tls == Tls::Implicit ? "smtps://" : "";
        EXPECT_EQ(sendError(at(prefix, test.host, server.Port())),
                  UntrustedCertificateText(test.reason))
            << test.certificate << " " << test.host;
        EXPECT_TRUE(server.Messages().empty());
    }
}

TEST_F(SmtpTlsTest, AFailedStartTlsSendsNothingMore) {
    const ScriptStep offer{"EHLO", {"250-test\r\n250-STARTTLS\r\n250 AUTH LOGIN\r\n"}};
    const std::vector<std::vector<ScriptStep>> scripts{
        {{"", {"220 ready\r\n"}}, offer, {"STARTTLS", {"454 4.7.0 TLS not available\r\n"}}},
        {{"", {"220 ready\r\n"}},
         offer,
         {"STARTTLS", {"220 go\r\n"}},
         {"", {"no TLS\r\n"}, false, 300}},
        {{"", {"220 ready\r\n"}}, offer, {"STARTTLS", {"220 go\r\n"}}, {"", {}, true, 300}}};
    for (const auto& script : scripts) {
        ScriptedSmtpServer server(script);
        std::string error = sendError(at("", "127.0.0.1", server.Port()));
        server.Finish();
        EXPECT_EQ(error.rfind("The server offers TLS (STARTTLS), but it could not be started: ", 0),
                  0u)
            << error;
        EXPECT_TRUE(error.ends_with(". The user name and password were not sent.")) << error;
        // Only the hello, STARTTLS and perhaps the start of a handshake went out.
        std::string bytes = server.ReceivedBytes();
        size_t startTls = bytes.find("STARTTLS\r\n");
        ASSERT_NE(startTls, std::string::npos);
        std::string after = bytes.substr(startTls + 10);
        EXPECT_TRUE(after.empty() || after[0] == '\x16') << after;
        for (const char* secret : {"AUTH", "c3RhdGlvbg==", "czNjcmV0", "s3cret", "QUIT"}) {
            EXPECT_EQ(bytes.find(secret), std::string::npos) << secret;
        }
    }
}

TEST_F(SmtpTlsTest, TheWrongModeIsToldWithTheWayOut) {
    LocalSmtpServer plain;
    EXPECT_EQ(sendError(at("smtps://", "127.0.0.1", plain.Port())),
              "The TLS connection to 127.0.0.1 could not be made: wrong version number.\nIf the "
              "server starts without TLS, remove smtps:// before its name: Skyvane starts TLS "
              "whenever the server offers it.");

    ScriptedSmtpServer wantsTls(
        {{"", {"220 ready\r\n"}},
         {"EHLO", {"250 test\r\n"}},
         {"MAIL FROM", {"530 5.7.0 Must issue a STARTTLS command first\r\n"}},
         {"QUIT", {"221 bye\r\n"}}});
    EXPECT_EQ(sendError(at("", "127.0.0.1", wantsTls.Port()), ""),
              "Error Code:\n530\nError Message:\n530 5.7.0 Must issue a STARTTLS command first\n"
              "The server wants an encrypted connection: put smtps:// before the server name "
              "(smtps://127.0.0.1).\n(alice@example.org)");

    EXPECT_EQ(sendError("ftp://127.0.0.1"),
              LangString(kTextUnknownSmtpPrefix, {"ftp://127.0.0.1"}));
}

}  // namespace
