#include <gtest/gtest.h>

#include <QByteArray>
#include <QRegularExpression>

#include "base/text_encoding.h"
#include "mail/base64.h"
#include "mail/mail_message.h"

namespace {

std::string encoded(const std::string& bytes) {
    return CBase64::EncodeToString(reinterpret_cast<const unsigned char*>(bytes.data()),
                                   bytes.size());
}

std::string decoded(const std::string& text) {
    CBase64 coder;
    coder.Decode(text.c_str());
    return std::string(reinterpret_cast<const char*>(coder.GetDecoded()), coder.DecodedLength());
}

std::string quotedPrintable(const std::string& text) {
    std::string out;
    CMailMessage::EncodeQuotedPrintable(out, text);
    return out;
}

// The text as it is sent for a part: encoded and dot-stuffed.
std::string content(MimeEncoding encoding, const std::string& text, std::string* name = nullptr) {
    std::string out = text;
    std::string encodingName;
    CMailMessage::EncodeContent(encoding, out, encodingName, nullptr, 0);
    if (name != nullptr) {
        *name = encodingName;
    }
    return out;
}

TEST(Base64, PaddingAndPrompts) {
    EXPECT_EQ(encoded("abc"), "YWJj");
    EXPECT_EQ(encoded("a"), "YQ==");
    EXPECT_EQ(encoded("ab"), "YWI=");
    EXPECT_EQ(encoded(""), "");
    EXPECT_EQ(encoded(std::string("\0\xFF\x10", 3)), "AP8Q");
    EXPECT_EQ(decoded("VXNlcm5hbWU6"), "Username:");
    EXPECT_EQ(decoded("UGFzc3dvcmQ6"), "Password:");
    EXPECT_EQ(decoded("YW Jj\r\nZGVm"), "abcdef");
    EXPECT_EQ(decoded("YWI=").substr(0, 2), "ab");
    // Every byte value survives.
    std::string all;
    for (int i = 0; i < 256; ++i) {
        all += static_cast<char>(i);
    }
    std::string back = decoded(encoded(all));
    EXPECT_EQ(back.substr(0, 256), all);
}

TEST(MimeEncoding, DetectionByContent) {
    auto detect = [](const std::string& text) {
        return CMailMessage::DetectEncoding(reinterpret_cast<const unsigned char*>(text.data()),
                                            text.size());
    };
    std::string shortLines = "Hello there\r\n" + std::string(70, 'x') + "\r\nbye\r\n";
    EXPECT_EQ(detect(shortLines), Encoding7Bit);
    EXPECT_EQ(detect("Hello\r\n" + std::string(100, 'x') + "\r\nbye\r\n"), EncodingQuotedPrintable);
    EXPECT_EQ(detect(std::string(77, 'y')), EncodingQuotedPrintable);  // no CR at all
    EXPECT_EQ(detect("Gr\xFC\xDF"
                     "e aus dem Garten, das Wetter ist sch\xF6n\r\n"),
              Encoding8Bit);
    EXPECT_EQ(detect("Gr\xFC\xDF"
                     "e\r\n"),
              EncodingBase64);  // under 90 % printable
    const char png[] = "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x01\x90";
    EXPECT_EQ(detect(std::string(png, sizeof png - 1)), EncodingBase64);
}

TEST(MimeEncoding, QuotedPrintableNeverSplitsAnEscape) {
    EXPECT_EQ(quotedPrintable("a=b"), "a=3Db");
    EXPECT_EQ(quotedPrintable("end "), "end=20");
    EXPECT_EQ(quotedPrintable("tab\t\r\nnext"), "tab=09\r\nnext");
    EXPECT_EQ(quotedPrintable("\xE4"), "=E4");
    EXPECT_EQ(quotedPrintable(std::string(76, 'a')), std::string(76, 'a'));
    EXPECT_EQ(quotedPrintable(std::string(77, 'a')), std::string(75, 'a') + "=\r\n" + "aa");
    // An escape at the cut goes whole to the next line.
    std::string around = std::string(74, 'a') + "=" + std::string(5, 'b');
    EXPECT_EQ(quotedPrintable(around), std::string(74, 'a') + "=\r\n=3Dbbbbb");
    around = std::string(73, 'a') + "=" + std::string(5, 'b');
    EXPECT_EQ(quotedPrintable(around), std::string(73, 'a') + "=\r\n=3Dbbbbb");
    // A trailing blank that becomes =20 can push the line over the limit.
    EXPECT_EQ(quotedPrintable(std::string(75, 'c') + " "), std::string(75, 'c') + "=\r\n=20");
}

TEST(MimeEncoding, WrappingAndDotStuffing) {
    std::string out;
    CMailMessage::WrapLines(out, std::string(40, 'a') + " " + std::string(50, 'b'), 76);
    EXPECT_EQ(out, std::string(40, 'a') + " \r\n" + std::string(50, 'b'));
    CMailMessage::WrapLines(out, std::string(160, 'z'), 76);
    EXPECT_EQ(out,
              std::string(76, 'z') + "\r\n" + std::string(76, 'z') + "\r\n" + std::string(8, 'z'));

    EXPECT_EQ(content(Encoding7Bit, "one\r\n.two\r\n..three"), "one\r\n..two\r\n...three");
    EXPECT_EQ(content(Encoding7Bit, ".first"), "..first");
    // Bare line feeds and carriage returns reach the server as CR LF only.
    EXPECT_EQ(content(Encoding8Bit, "a\nb\rc\r\n.\n.\r"), "a\r\nb\r\nc\r\n..\r\n..\r\n");
    EXPECT_EQ(content(EncodingQuotedPrintable, "x\n.\ny"), "x\r\n..\r\ny");
    std::string name;
    EXPECT_EQ(content(Encoding7Bit,
                      "Gr\xFC\xDF"
                      "e",
                      &name),
              "Gr??e");
    EXPECT_EQ(name, "7bit");
    std::string base64 = content(EncodingAuto, std::string(100, '\x01'), &name);
    EXPECT_EQ(name, "base64");
    EXPECT_EQ(base64.find("\r\n"), 76u);
}

TEST(MailMessage, HeadersPartsAndInjection) {
    CMailMessage message;
    message.SetTimeZoneOffset(-500);
    message.SetSender("station@example.org", "Garden \"Station\"");
    message.SetRecipient("", "");
    message.AddCc({"Alice", "alice@example.org"});
    message.AddCc({"", "bob@example.org"});
    message.SetRecipient("carol@example.org", "Carol");
    message.AddBcc({"", "hidden@example.org"});
    message.SetSubject("Weather\r\nBcc: victim@example.org");
    message.SetHeader("X-Extra\n", std::string("one\r\ntwo\0three", 14));
    message.AddBody(CMailBodyPart("<p>hi</p>", "text/html", "iso-8859-1", EncodingAuto));
    CMailAttachment image("", "weatherimage.png", false, "", "iso-8859-1", EncodingAuto);
    const unsigned char pixels[] = {0x89, 'P', 'N', 'G', 0, 1, 2, 3, 4, 5, 6, 7};
    image.data = pixels;
    image.size = sizeof pixels;
    image.contentId = "1";
    message.AddAttachment(image);
    message.SetMultipartType(MultipartRelated);
    std::string text;
    message.BuildText(text);

    size_t bodyStart = text.find("\r\n\r\n");
    std::string headers = text.substr(0, bodyStart + 2);
    // Nothing the caller gave can start a header line of its own.
    EXPECT_EQ(headers.find("\r\nBcc:"), std::string::npos);
    EXPECT_EQ(headers.find("hidden@"), std::string::npos);
    EXPECT_NE(headers.find("Subject: Weather  Bcc: victim@example.org\r\n"), std::string::npos);
    EXPECT_NE(headers.find("X-Extra : one  two three\r\n"), std::string::npos);
    EXPECT_EQ(headers.rfind("From: \"Garden \\\"Station\\\"\" <station@example.org>\r\n", 0), 0u);
    EXPECT_NE(headers.find("To: \"Carol\" <carol@example.org>,\r\n\t\"Alice\" "
                           "<alice@example.org>,\r\n\t<bob@example.org>\r\n"),
              std::string::npos);
    EXPECT_NE(headers.find(" -0500\r\n"), std::string::npos);
    std::vector<std::string> order = {"From:",
                                      "To:",
                                      "Subject:",
                                      "Date:",
                                      "Importance:",
                                      "X-Mailer:",
                                      "X-MSMail-Priority:",
                                      "X-Priority:",
                                      "MIME-Version:",
                                      "Content-Type: multipart/related;"};
    size_t previous = 0;
    for (const std::string& name : order) {
        size_t found = name == "From:" ? headers.find(name) : headers.find("\r\n" + name);
        ASSERT_NE(found, std::string::npos) << name;
        EXPECT_GE(found, previous) << name;
        previous = found;
    }
    EXPECT_NE(text.find("This is a multipart message in MIME format"), std::string::npos);
    EXPECT_NE(text.find("Content-Type: image/png;\r\n\tname=\"weatherimage.png\"\r\n"
                        "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment;"
                        "\r\n\tfilename=\"weatherimage.png\"\r\nContent-ID: <1>\r\n\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("multipart/alternative"), std::string::npos);

    // Two bodies and an attachment: mixed, with the bodies in a nested alternative part.
    CMailMessage mixed;
    mixed.AddBody(CMailBodyPart("plain", "text/plain", "iso-8859-1", EncodingAuto));
    mixed.AddBody(CMailBodyPart("<b>html</b>", "text/html", "iso-8859-1", EncodingAuto));
    mixed.AddAttachment(image);
    mixed.BuildText(text);
    EXPECT_EQ(mixed.GetMultipartType(), MultipartMixed);
    EXPECT_NE(text.find("Content-Type: multipart/mixed;"), std::string::npos);
    EXPECT_NE(
        text.find("Content-Type: multipart/alternative;\r\n\tboundary=\"CSmtpMsgPart123X456_001_"),
        std::string::npos);
}

// Encoded words never split a character and keep every header line within 78 characters.
TEST(MailMessage, NonAsciiHeaderTextAsEncodedWords) {
    EXPECT_EQ(EncodedHeaderText("Weather at 8:00"), "Weather at 8:00");
    for (const char* character : {"\xC3\xA4", "\xE2\x82\xAC", "\xF0\x9F\x8C\xA7", "a"}) {
        std::string text = "\xC3\x9F";
        while (text.size() < 200) {
            text += character;
        }
        std::string encoded = EncodedHeaderText(text);
        std::string decoded;
        size_t start = 0;
        for (size_t end; start < encoded.size(); start = end + 3) {
            end = std::min(encoded.find("\r\n ", start), encoded.size());
            std::string word = encoded.substr(start, end - start);
            EXPECT_LE(word.size() + std::string("Subject: ").size(), 78u) << word;
            ASSERT_TRUE(word.starts_with("=?UTF-8?B?") && word.ends_with("?=")) << word;
            std::string bytes =
                QByteArray::fromBase64(QByteArray::fromStdString(word.substr(10, word.size() - 12)))
                    .toStdString();
            EXPECT_TRUE(isValidUtf8(bytes)) << word;
            decoded += bytes;
        }
        EXPECT_EQ(decoded, text);
    }
    CMailMessage message;
    message.SetTimeZoneOffset(0);
    std::string text;
    message.BuildText(text);
    EXPECT_TRUE(QByteArray::fromStdString(text).contains(" +0000\r\n"));
    EXPECT_TRUE(QRegularExpression("Date: \\w{3}, \\d{1,2} \\w{3} \\d{4} \\d\\d:\\d\\d:\\d\\d ")
                    .match(QString::fromStdString(text))
                    .hasMatch());
}

TEST(MailMessage, MediaTypesByExtension) {
    EXPECT_EQ(MediaTypeOf("weatherimage.jpg"), "image/jpeg");
    EXPECT_EQ(MediaTypeOf("x.PNG"), "image/png");
    EXPECT_EQ(MediaTypeOf("a.b.gif"), "image/gif");
    EXPECT_EQ(MediaTypeOf("notes.txt"), "text/plain");
    EXPECT_EQ(MediaTypeOf("page.html"), "text/html");
    EXPECT_EQ(MediaTypeOf("archive.xyz"), "application/octet-stream");
    EXPECT_EQ(MediaTypeOf("noextension"), "application/octet-stream");
}

}  // namespace
