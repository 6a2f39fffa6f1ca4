#include <gtest/gtest.h>

#include <QByteArray>
#include <QRegularExpression>
#include <chrono>
#include <fstream>
#include <set>
#include <stdexcept>

#include "base/settings.h"
#include "base/text_encoding.h"
#include "mail/email_publisher.h"
#include "profiles/profile.h"
#include "profiles/profiles_file.h"
#include "support/smtp_servers.h"
#include "support/test_files.h"

namespace {

const std::vector<unsigned char> kImage = [] {
    std::vector<unsigned char> bytes(5000);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<unsigned char>((i * 7919) % 256);
    }
    bytes[0] = 0xFF;
    bytes[1] = 0xD8;
    return bytes;
}();

EmailSettings settingsFor(int port, const std::string& recipients) {
    EmailSettings settings;
    settings.smtpServer = "127.0.0.1:" + std::to_string(port);
    settings.senderName = "Garden Station";
    settings.senderEmail = "station@example.org";
    settings.recipients = recipients;
    settings.subject = "The weather at home";
    settings.text =
        "Good morning!\nIt is 3.8 \xC2\xB0"
        "C & sunny.";
    return settings;
}

// The message as a mail program shows it (tests/servers/read_mail.py).
QJsonObject readMail(const std::string& message) {
    QProcess reader;
    reader.start("/usr/bin/python3", {QString(SKYVANE_SOURCE_DIR) + "/tests/servers/read_mail.py"});
    reader.write(QByteArray::fromStdString(message));
    reader.closeWriteChannel();
    reader.waitForFinished(20000);
    QJsonObject shown = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
    if (shown.isEmpty()) {
        ADD_FAILURE() << reader.readAllStandardError().toStdString();
    }
    return shown;
}

// The rules of the local spam filter that the message hits.
QStringList spamRules(const std::string& message) {
    QProcess filter;
    filter.start("spamassassin", {"-L", "-t"});
    filter.write(QByteArray::fromStdString(message));
    filter.closeWriteChannel();
    filter.waitForFinished(120000);
    QString checked = QString::fromUtf8(filter.readAllStandardOutput());
    QRegularExpression status("^X-Spam-Status: .*?tests=([^\\n]*(\\n\\t[^\\n]*)*)",
                              QRegularExpression::MultilineOption);
    QString tests = status.match(checked).captured(1);
    tests.remove(QRegularExpression("\\s|autolearn=.*|version=.*"));
    return tests.split(',', Qt::SkipEmptyParts);
}

std::string sendError(const EmailSettings& settings) {
    try {
        SendImageByEmail(settings, kImage.data(), kImage.size(), true);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

// The body of the part that holds marker, with its encoding undone.
std::string partBody(const std::string& message, const std::string& marker) {
    size_t at = message.find(marker);
    if (at == std::string::npos) {
        return "";
    }
    size_t start = message.find("\r\n\r\n", at) + 4;
    size_t end = message.find("\r\n--", start);
    std::string body = message.substr(start, end - start);
    size_t encoding = message.find("Content-Transfer-Encoding: ", at);
    if (message.compare(encoding + 27, 6, "base64") == 0) {
        return QByteArray::fromBase64(QByteArray::fromStdString(body)).toStdString();
    }
    std::string plain;
    for (size_t i = 0; i < body.size(); ++i) {
        if (body.compare(i, 3, "=\r\n") == 0) {
            i += 2;
        } else if (body[i] == '=' && i + 2 < body.size()) {
            plain += static_cast<char>(std::stoi(body.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            plain += body[i];
        }
    }
    return plain;
}

class EmailTest : public testing::Test {
  protected:
    void SetUp() override { CSettings::Instance().SetLangID(1033); }
};

TEST_F(EmailTest, OneCopyPerRecipientWithTheImageInline) {
    LocalSmtpServer server;
    ASSERT_GT(server.Port(), 0);
    EmailSettings settings = settingsFor(server.Port(), "alice@example.org, bob@example.org;");
    EXPECT_TRUE(SendImageByEmail(settings, kImage.data(), kImage.size(), true));

    std::vector<LocalSmtpServer::Delivered> messages = server.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].to, std::vector<std::string>{"alice@example.org"});
    EXPECT_EQ(messages[1].to, std::vector<std::string>{"bob@example.org"});
    std::set<QString> messageIds;
    for (const auto& message : messages) {
        EXPECT_EQ(message.from, "station@example.org");
        const std::string& text = message.content;
        EXPECT_NE(text.find("Content-Type: multipart/related;"), std::string::npos);
        EXPECT_NE(text.find("Subject: The weather at home\r\n"), std::string::npos);
        EXPECT_NE(text.find("\r\nTo: <" + message.to[0] + ">\r\n"), std::string::npos);
        EXPECT_EQ(partBody(text, "Content-Type: text/html"),
                  "<html><body>Good morning!\r\nIt is 3.8 \xC2\xB0"
                  "C & sunny.<br><hr><br>"
                  "<img src=\"cid:1\"></body></html>");
        std::string image =
            partBody(text, "Content-Type: image/jpeg;\r\n\tname=\"weatherimage.jpg\"");
        EXPECT_EQ(image, std::string(kImage.begin(), kImage.end()));
        EXPECT_NE(text.find("Content-ID: <1>"), std::string::npos);
        QJsonObject shown = readMail(text);
        EXPECT_TRUE(shown["date_zone_known"].toBool()) << shown["date"].toString().toStdString();
        EXPECT_TRUE(shown["message_id"].toString().endsWith("@example.org>"));
        messageIds.insert(shown["message_id"].toString());
    }
    EXPECT_EQ(messageIds.size(), 2u);
}

// German and French texts arrive as they were typed, from a list in either encoding, and the
// mail carries no header that a spam filter holds against it.
TEST_F(EmailTest, TextsArriveReadableFromUtf8AndWindows1252Lists) {
    LocalSmtpServer server;
    QTemporaryDir dir;
    std::string weather = dir.filePath("currdat.lst").toStdString();
    std::ofstream(weather) << "[time]\nlast_actualisation=4005556484\n";
    CSettings::Instance().SetWeatherFilePath(weather);
    const std::string subject =
        "Gr\xC3\xBC\xC3\x9F"
        "e aus K\xC3\xB6ln \xE2\x80\x93 heute 3,8 \xC2\xB0"
        "C, "
        "Sturmwarnung f\xC3\xBCr den ganzen Tag, \xE2\x82\xAC 5";
    const std::string sender = "Station M\xC3\xBCller \xE2\x80\x93 \xC3\xA9t\xC3\xA9";
    const std::string text =
        "Gr\xC3\xBC\xC3\x9F"
        "e! Temp\xC3\xA9rature \xE2\x80\x93 "
        "3,8 \xC2\xB0"
        "C, \xC3\x9F \xE2\x82\xAC";
    // U+0151 has no Windows-1252 byte, so that list is written in UTF-8.
    for (const std::string& extra : {std::string(), std::string(" \xC5\x91")}) {
        ProfileList list;
        list.push_back(std::make_unique<CProfile>("Mail", nullptr));
        CProfile& profile = *list[0];
        profile.SetExportType(ExportType::Email);
        profile.SetSmtpServer("127.0.0.1:" + std::to_string(server.Port()));
        profile.SetSenderName(sender + extra);
        profile.SetSenderEmail("station@example.org");
        profile.SetRecipients("alice@example.org");
        profile.SetSubject(subject + extra);
        profile.SetText(text + extra);
        std::string path = dir.filePath("list.xml").toStdString();
        SaveProfilesFile(path, list);
        EXPECT_EQ(isValidUtf8(readFile(path)), !extra.empty());
        ProfileList loaded = LoadProfilesFile(path, nullptr);
        ASSERT_EQ(loaded.size(), 1u);
        size_t before = server.Messages().size();
        loaded[0]->Execute(nullptr);
        EXPECT_EQ(loaded[0]->GetLastError(), "");
        ASSERT_EQ(server.Messages().size(), before + 1);
        std::string message = server.Messages().back().content;

        QJsonObject shown = readMail(message);
        EXPECT_EQ(shown["subject"].toString().toStdString(), subject + extra);
        EXPECT_EQ(shown["name"].toString().toStdString(), sender + extra);
        EXPECT_EQ(shown["address"].toString(), "station@example.org");
        EXPECT_EQ(shown["charset"].toString(), "utf-8");
        EXPECT_EQ(shown["html"].toString().toStdString(),
                  "<html><body>" + text + extra + "<br><hr><br><img src=\"cid:1\"></body></html>");
        EXPECT_TRUE(shown["eight_bit_headers"].toArray().isEmpty());
        EXPECT_TRUE(shown["long_header_lines"].toArray().isEmpty())
            << QJsonDocument(shown["long_header_lines"].toArray()).toJson().toStdString();
        if (extra.empty()) {
            QStringList rules = spamRules(message);
            EXPECT_FALSE(rules.isEmpty());  // the filter ran: an HTML mail hits HTML_MESSAGE
            for (const QString& rule : rules) {
                EXPECT_FALSE(rule.contains(QRegularExpression(
                    "^(MISSING_|INVALID_|DATE_IN_)|ILLEGAL_CHARS|NEEDS_ENCODING|EXCESS_BASE64|"
                    "MSGID")))
                    << rule.toStdString();
            }
        }
    }
}

TEST_F(EmailTest, AServerOnIpv6) {
    LocalSmtpServer server("", "", LocalSmtpServer::Tls::None, {}, {}, "::1");
    ASSERT_GT(server.Port(), 0);
    EmailSettings settings = settingsFor(0, "alice@example.org");
    settings.smtpServer = "[::1]:" + std::to_string(server.Port());
    EXPECT_EQ(sendError(settings), "");
    EXPECT_EQ(server.Messages().size(), 1u);
}

TEST_F(EmailTest, SettingsAndAddressesAreCheckedFirst) {
    EmailSettings settings = settingsFor(1, "alice@example.org");
    settings.senderEmail.clear();
    EXPECT_EQ(sendError(settings), "The sender EMail address is empty");
    settings = settingsFor(1, "");
    EXPECT_EQ(sendError(settings), "The recipient list is empty");
    settings = settingsFor(1, "a@example.org");
    settings.senderName.clear();
    EXPECT_EQ(sendError(settings), "The sender name is empty");
    settings = settingsFor(1, "a@example.org");
    settings.smtpServer.clear();
    EXPECT_EQ(sendError(settings), "The SMTP server name is empty");
    settings = settingsFor(1,
                           "good@example.org;bad@example.info;x_y@example.org;a@b_c.org\r\n"
                           "two@example.org\nlines@example.org");
    EXPECT_EQ(
        sendError(settings),
        "Invalid email addresses:\nbad@example.info\na@b_c.orgtwo@example.orglines@example.org");
    settings = settingsFor(1, "a@example.org");
    EXPECT_EQ(sendError(settings), "Could not connect to server (127.0.0.1:1)");

    EXPECT_TRUE(IsValidEmail("x_y@example.org"));
    EXPECT_TRUE(IsValidEmail("a@b.de"));
    EXPECT_TRUE(IsValidEmail("a@b.c"));
    EXPECT_FALSE(IsValidEmail("a@.d"));
    EXPECT_FALSE(IsValidEmail("a@@b.de"));
    EXPECT_FALSE(IsValidEmail("a@b.dexx"));
    EXPECT_FALSE(IsValidEmail("a b@c.de"));
    EXPECT_FALSE(IsValidEmail(std::string("a@b.de\r\nRCPT TO:<x@y.z>", 24)));
    EXPECT_FALSE(IsValidEmail(std::string("a@b\0.de", 7)));
    EXPECT_FALSE(IsValidEmail("j\xC3\xB6rg@b.de"));
}

TEST_F(EmailTest, NoAuthWithoutAUserAndAStopAtTheFirstRefusedCopy) {
    ScriptedSmtpServer server({{"", {"220 ready\r\n"}},
                               {"EHLO", {"250-test\r\n250 AUTH LOGIN PLAIN\r\n"}},
                               {"MAIL FROM", {"250 ok\r\n"}},
                               {"RCPT TO: <one@", {"250 ok\r\n"}},
                               {"DATA", {"354 go\r\n"}},
                               {"", {"250 queued\r\n"}},
                               {"MAIL FROM", {"250 ok\r\n"}},
                               {"RCPT TO: <two@", {"550 mailbox unavailable\r\n"}},
                               {"QUIT", {"221 bye\r\n"}}});
    EmailSettings settings =
        settingsFor(server.Port(), "one@example.org;two@example.org;three@example.org");
    EXPECT_EQ(sendError(settings),
              "Error Code:\n550\nError Message:\n550 mailbox unavailable\n(two@example.org)");
    std::vector<std::string> received = server.Received();
    for (const std::string& command : received) {
        EXPECT_NE(command.substr(0, 4), "AUTH");
        EXPECT_EQ(command.find("three@"), std::string::npos);
    }
    EXPECT_EQ(received.back(), "QUIT\r\n");
}

TEST_F(EmailTest, AServerThatGivesUpOrAStopIsToldInWords) {
    {
        ScriptedSmtpServer server({{"", {"220 ready\r\n"}},
                                   {"EHLO", {"250 test\r\n"}},
                                   {"MAIL FROM", {"250 ok\r\n"}},
                                   {"RCPT TO", {"250 ok\r\n"}},
                                   {"DATA", {"354 go\r\n"}},
                                   {"", {}, true}});
        EXPECT_EQ(sendError(settingsFor(server.Port(), "alice@example.org")),
                  "Error Code:\n-1\nError Message:\nThe server closed the connection after "
                  "DATA.\n(alice@example.org)");
    }
    // A server that never answers MAIL FROM: a stop ends the wait at once.
    ScriptedSmtpServer server({{"", {"220 ready\r\n"}}, {"EHLO", {"250 test\r\n"}}});
    auto started = std::chrono::steady_clock::now();
    std::string error;
    try {
        SendImageByEmail(settingsFor(server.Port(), "alice@example.org"), kImage.data(),
                         kImage.size(), true, [&] {
                             return std::chrono::steady_clock::now() - started >
                                    std::chrono::milliseconds(300);
                         });
    } catch (const std::runtime_error& failure) {
        error = failure.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_NE(error.find("The export was stopped before it finished"), std::string::npos) << error;
}

TEST_F(EmailTest, AnEmailImageIsPublishedByItsExport) {
    LocalSmtpServer server;
    QTemporaryDir dir;
    std::string weather = dir.filePath("currdat.lst").toStdString();
    std::ofstream(weather) << "[time]\nlast_actualisation=4005556484\n";
    CSettings::Instance().SetWeatherFilePath(weather);
    CProfile profile("Mail", nullptr);
    profile.SetExportType(ExportType::Email);
    profile.SetSmtpServer("127.0.0.1:" + std::to_string(server.Port()));
    profile.SetSenderName("Garden Station");
    profile.SetSenderEmail("station@example.org");
    profile.SetRecipients("alice@example.org");
    profile.GetDrawing()->SetImageFormat(4);
    profile.Execute(nullptr);
    EXPECT_EQ(profile.GetLastStatus(), "Success");
    EXPECT_EQ(profile.GetLastError(), "");
    ASSERT_EQ(server.Messages().size(), 1u);
    std::string image = partBody(server.Messages()[0].content, "name=\"weatherimage.png\"");
    EXPECT_EQ(image.substr(0, 8), "\x89PNG\r\n\x1A\n");
}

}  // namespace
