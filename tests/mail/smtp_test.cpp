#include <gtest/gtest.h>

#include <chrono>

#include "mail/smtp.h"
#include "support/smtp_servers.h"

namespace {

using Steps = std::vector<ScriptStep>;

// Records every hook call as "warning 550", "error -1", ..., and the last error's text.
class RecordingSmtp : public CSmtp {
  public:
    int OnWarning(int code, const std::string&) override {
        calls.push_back("warning " + std::to_string(code));
        return 0;
    }
    int OnError(int code, const std::string& text) override {
        calls.push_back("error " + std::to_string(code));
        error = text;
        return 0;
    }
    std::vector<std::string> calls;
    std::string error;
};

CMailMessage messageTo(const std::vector<std::string>& recipients) {
    CMailMessage message;
    message.SetSender("station@example.org", "Station");
    for (size_t i = 0; i < recipients.size(); ++i) {
        if (i == 0) {
            message.SetRecipient(recipients[0]);
        } else {
            message.AddCc({"", recipients[i]});
        }
    }
    message.AddBody(CMailBodyPart("hello\r\n.\r\n", "text/plain", "us-ascii", EncodingAuto));
    return message;
}

const ScriptStep kGreeting{"", {"220 test ready\r\n"}};
const ScriptStep kEhlo{"EHLO ", {"250 test\r\n"}};

TEST(Smtp, HeloAfterARefusedEhloAndMultiLineRepliesInPieces) {
    ScriptedSmtpServer server({{"", {"220-first line\r\n", "220 ready\r\n"}},
                               {"EHLO ", {"502 no\r\n"}},
                               {"HELO ", {"250 hi\r\n"}},
                               {"MAIL FROM: <station@example.org>", {"250 ok\r\n"}},
                               {"RCPT TO: <a@example.org>", {"25", "0 ok\r\n"}},
                               {"DATA", {"354 go\r\n"}},
                               {"", {"250-queued\r\n", "250-as\r", "\n250 one\r\n"}},
                               {"QUIT", {"221 bye\r\n"}}});
    RecordingSmtp smtp;
    smtp.port = static_cast<std::uint16_t>(server.Port());
    ASSERT_TRUE(smtp.Connect("127.0.0.1"));
    EXPECT_FALSE(smtp.IsEsmtp());
    CMailMessage message = messageTo({"a@example.org"});
    EXPECT_EQ(smtp.SendMail(message), 0);
    EXPECT_EQ(smtp.LastResponse(), "250-queued\r\n250-as\r\n250 one");
    smtp.Disconnect();
    EXPECT_TRUE(smtp.calls.empty());
    std::vector<std::string> received = server.Received();
    ASSERT_EQ(received.size(), 7u);
    EXPECT_EQ(received[1].substr(0, 5), "HELO ");
    // The message's own lone dot line went out stuffed; the data ends with the one final dot.
    EXPECT_NE(received[5].find("\r\nhello\r\n..\r\n"), std::string::npos);
    EXPECT_EQ(received[5].substr(received[5].size() - 5), "\r\n.\r\n");
    EXPECT_EQ(received[6], "QUIT\r\n");
}

TEST(Smtp, RecipientsRefusedOneOrAll) {
    {
        ScriptedSmtpServer server({kGreeting,
                                   kEhlo,
                                   {"MAIL FROM", {"250 ok\r\n"}},
                                   {"RCPT TO: <a@", {"250 ok\r\n"}},
                                   {"RCPT TO: <b@", {"550 no such user\r\n"}},
                                   {"RCPT TO: <c@", {"251 forwarded\r\n"}},
                                   {"DATA", {"354 go\r\n"}},
                                   {"", {"250 ok\r\n"}},
                                   {"QUIT", {"221 bye\r\n"}}});
        RecordingSmtp smtp;
        smtp.port = static_cast<std::uint16_t>(server.Port());
        ASSERT_TRUE(smtp.Connect("127.0.0.1"));
        CMailMessage message = messageTo({"a@example.org", "b@example.org", "c@example.org"});
        EXPECT_EQ(smtp.SendMail(message), 0);
        EXPECT_EQ(smtp.calls, std::vector<std::string>{"warning 550"});
    }
    {
        ScriptedSmtpServer server({kGreeting,
                                   kEhlo,
                                   {"MAIL FROM", {"250 ok\r\n"}},
                                   {"RCPT TO", {"550 no\r\n"}},
                                   {"RCPT TO", {"553 never\r\n"}},
                                   {"QUIT", {"221 bye\r\n"}}});
        RecordingSmtp smtp;
        smtp.port = static_cast<std::uint16_t>(server.Port());
        ASSERT_TRUE(smtp.Connect("127.0.0.1"));
        CMailMessage message = messageTo({"a@example.org", "b@example.org"});
        EXPECT_EQ(smtp.SendMail(message), 553);
        smtp.Disconnect();
        EXPECT_EQ(smtp.calls,
                  (std::vector<std::string>{"warning 550", "warning 553", "error 553"}));
        for (const std::string& command : server.Received()) {
            EXPECT_NE(command.substr(0, 4), "DATA");
        }
    }
    // Only Bcc recipients: refused before anything is sent.
    RecordingSmtp offline;
    CMailMessage hidden = messageTo({});
    hidden.AddBcc({"", "x@example.org"});
    EXPECT_EQ(offline.SendMail(hidden), -1);
}

TEST(Smtp, DeadAndSilentServers) {
    {
        ScriptedSmtpServer server({kGreeting, {"EHLO", {}, true}});
        RecordingSmtp smtp;
        smtp.port = static_cast<std::uint16_t>(server.Port());
        EXPECT_FALSE(smtp.Connect("127.0.0.1"));
        EXPECT_FALSE(smtp.IsConnected());
        EXPECT_EQ(smtp.calls.back(), "error -1");
        EXPECT_EQ(smtp.error, "The server closed the connection after EHLO.");
        std::vector<std::string> received = server.Received();
        for (const std::string& command : received) {
            EXPECT_NE(command, "QUIT\r\n");
        }
    }
    {
        ScriptedSmtpServer server({kGreeting,
                                   kEhlo,
                                   {"MAIL FROM", {"250 ok\r\n"}},
                                   {"RCPT TO", {"250 ok\r\n"}},
                                   {"DATA", {"354 go\r\n"}},
                                   {"", {}}});
        RecordingSmtp smtp;
        smtp.timeoutSeconds = 1;
        smtp.port = static_cast<std::uint16_t>(server.Port());
        ASSERT_TRUE(smtp.Connect("127.0.0.1"));
        CMailMessage message = messageTo({"a@example.org"});
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(smtp.SendMail(message), -1);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(smtp.LastFailure(), "The server did not answer DATA within 1 seconds.");
        EXPECT_FALSE(smtp.IsConnected());  // no QUIT to a dead connection
    }
    // A reply longer than the reply buffer is an error of its own, not an overflow.
    const std::string endless = std::string(2048, 'x') + "\r\n250 ok\r\n";
    for (const auto& [script, text] : std::vector<std::pair<Steps, std::string>>{
             {{{"", {"220-" + endless}}},
              "The server's greeting was not understood (too long). 220-" +
                  std::string(56, 'x') + "..."},
             {{kGreeting, {"EHLO", {"250-" + endless}}},
              "The server's reply to EHLO was not understood (too long). 250-" +
                  std::string(56, 'x') + "..."}}) {
        ScriptedSmtpServer server(script);
        RecordingSmtp smtp;
        smtp.port = static_cast<std::uint16_t>(server.Port());
        EXPECT_FALSE(smtp.Connect("127.0.0.1"));
        EXPECT_EQ(smtp.calls, std::vector<std::string>{"error -1"});
        EXPECT_EQ(smtp.error, text);
    }
    {
        ScriptedSmtpServer server({{"", {}, true}});
        RecordingSmtp smtp;
        smtp.port = static_cast<std::uint16_t>(server.Port());
        EXPECT_FALSE(smtp.Connect("127.0.0.1"));
        EXPECT_EQ(smtp.LastFailure(), "The server closed the connection without a greeting.");
    }
    {
        // A server that stops reading the message: the send ends after the timeout.
        ScriptedSmtpServer server({kGreeting,
                                   kEhlo,
                                   {"MAIL FROM", {"250 ok\r\n"}},
                                   {"RCPT TO", {"250 ok\r\n"}},
                                   {"DATA", {"354 go\r\n"}, false, 0, true}});
        RecordingSmtp smtp;
        smtp.timeoutSeconds = 1;
        smtp.port = static_cast<std::uint16_t>(server.Port());
        ASSERT_TRUE(smtp.Connect("127.0.0.1"));
        CMailMessage message;
        message.SetSender("station@example.org", "Station");
        message.SetRecipient("a@example.org");
        message.AddBody(
            CMailBodyPart(std::string(16 << 20, 'x'), "text/plain", "us-ascii", EncodingBase64));
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(smtp.SendMail(message), -1);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(smtp.LastFailure(),
                  "Nothing was transferred for 1 seconds; the transfer was ended.");
    }
    // Nothing listens: a clear false, quickly.
    RecordingSmtp smtp;
    smtp.port = 1;
    EXPECT_FALSE(smtp.Connect("127.0.0.1"));
    EXPECT_FALSE(smtp.Connect("no-such-host.invalid"));
}

// Credentials go only where TLS protects them (or the user allowed otherwise), only to a server
// that offers AUTH, by LOGIN or else PLAIN; a refusal ends the session there.
TEST(Smtp, LoginOnlyWhereItIsSafeAndOffered) {
    const ScriptStep loginPrompts[] = {{"AUTH LOGIN", {"334 VXNlcm5hbWU6\r\n"}},
                                       {"dXNlcg==", {"334 UGFzc3dvcmQ6\r\n"}}};
    struct Case {
        const char* name;
        Steps script;
        bool allowPlain;
        bool connects;
        std::vector<std::string> calls;
        std::string error;
    };
    const Case cases[] = {
        {"login",
         {kGreeting,
          {"EHLO", {"250-test\r\n250 AUTH PLAIN LOGIN\r\n"}},
          loginPrompts[0],
          loginPrompts[1],
          {"c2VjcmV0", {"235 welcome\r\n"}},
          {"QUIT", {"221 bye\r\n"}}},
         true,
         true,
         {},
         ""},
        {"plain where no login",
         {kGreeting,
          {"EHLO", {"250-test\r\n250 AUTH=PLAIN CRAM-MD5\r\n"}},
          {"AUTH PLAIN AHVzZXIAc2VjcmV0\r\n", {"235 welcome\r\n"}},
          {"QUIT", {"221 bye\r\n"}}},
         true,
         true,
         {},
         ""},
        {"refused",
         {kGreeting,
          {"EHLO", {"250 AUTH LOGIN\r\n"}},
          loginPrompts[0],
          loginPrompts[1],
          {"c2VjcmV0", {"535 5.7.8 credentials rejected\r\n"}},
          {"QUIT", {"221 bye\r\n"}}},
         true,
         false,
         {"warning 535", "error 535"},
         "The server refused the login: 535 5.7.8 credentials rejected\nCheck the user name and "
         "password."},
        {"no TLS",
         {kGreeting, {"EHLO", {"250-test\r\n250 AUTH LOGIN PLAIN\r\n"}}},
         false,
         false,
         {"error -1"},
         "The server offers no encryption (STARTTLS), so the user name and password were not "
         "sent. If the server expects TLS from the start, put smtps:// before its name "
         "(smtps://127.0.0.1). Only for a server that has no encryption at all: tick \"Allow "
         "login without encryption\" for this image."},
        {"no AUTH",
         {kGreeting, kEhlo},
         true,
         false,
         {"error -1"},
         "The server offers no login (AUTH), so the user name and password were not sent. Leave "
         "the user name empty if the server needs no login."},
        {"no HELO login",
         {kGreeting, {"EHLO", {"502 no\r\n"}}, {"HELO", {"250 hi\r\n"}}},
         true,
         false,
         {"error -1"},
         "The server offers no login (AUTH), so the user name and password were not sent. Leave "
         "the user name empty if the server needs no login."},
        {"unknown mechanisms",
         {kGreeting, {"EHLO", {"250 AUTH CRAM-MD5 XOAUTH2\r\n"}}},
         true,
         false,
         {"error -1"},
         "The server offers no login method that Skyvane knows (it offers CRAM-MD5 XOAUTH2; "
         "Skyvane knows LOGIN and PLAIN), so the user name and password were not sent."},
    };
    for (const Case& test : cases) {
        ScriptedSmtpServer server(test.script);
        RecordingSmtp smtp;
        smtp.port = static_cast<std::uint16_t>(server.Port());
        smtp.authUser = "user";
        smtp.authPassword = "secret";
        smtp.allowPlainLogin = test.allowPlain;
        EXPECT_EQ(smtp.Connect("127.0.0.1"), test.connects) << test.name;
        smtp.Disconnect();
        server.Finish();
        EXPECT_EQ(smtp.calls, test.calls) << test.name;
        EXPECT_EQ(smtp.error, test.error) << test.name;
        if (!test.connects && test.calls.size() == 1) {
            EXPECT_EQ(server.ReceivedBytes().find("AUTH"), std::string::npos) << test.name;
        }
    }

    // A server that wants a login nobody configured: refused once, not asked again.
    ScriptedSmtpServer server(
        {kGreeting, kEhlo, {"MAIL FROM", {"530 auth first\r\n"}}, {"QUIT", {"221 bye\r\n"}}});
    RecordingSmtp smtp;
    smtp.port = static_cast<std::uint16_t>(server.Port());
    ASSERT_TRUE(smtp.Connect("127.0.0.1"));
    CMailMessage message = messageTo({"a@example.org"});
    EXPECT_EQ(smtp.SendMail(message), 530);
    EXPECT_EQ(smtp.calls, std::vector<std::string>{"error 530"});
}

}  // namespace
