#include "mail/email_publisher.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <vector>

#include "base/lang_string.h"
#include "base/server_address.h"
#include "base/string_ids.h"
#include "base/text_encoding.h"

std::vector<std::string> ParseRecipients(std::string list) {
    std::replace(list.begin(), list.end(), ',', ';');
    std::erase_if(list, [](char c) { return c == '\n' || c == '\r' || c == ' '; });
    std::vector<std::string> entries;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        std::string entry = list.substr(start, end - start);
        if (!entry.empty()) {
            entries.push_back(entry);
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return entries;
}

int CEnhSmtp::OnError(int code, const std::string& response) {
    lastErrorCode = code;
    lastErrorText = response;
    return 0;
}

bool IsValidEmail(const std::string& address) {
    size_t length = address.size();
    size_t at = address.find('@');
    size_t lastAt = address.rfind('@');
    size_t lastDot = address.rfind('.');
    if (length < 5 || at == std::string::npos || lastDot == std::string::npos) {
        return false;
    }
    if (length - lastDot >= 5 || at != lastAt) {
        return false;
    }
    if (address.find('_', lastAt) != std::string::npos) {
        return false;
    }
    return std::all_of(address.begin(), address.end(), [](char ch) {
        auto c = static_cast<unsigned char>(ch);
        return std::isdigit(c) || (c < 128 && std::isalpha(c)) || c == '_' || c == '.' ||
               c == '@' || c == '-';
    });
}

bool SendImageByEmail(const EmailSettings& settings, const unsigned char* data, size_t size,
                      bool jpeg, const StopCheck& stop) {
    const std::pair<const std::string&, unsigned> required[] = {
        {settings.senderEmail, kTextSenderAddressEmpty},
        {settings.recipients, kTextRecipientListEmpty},
        {settings.senderName, kTextSenderNameEmpty},
        {settings.smtpServer, kTextSmtpServerEmpty}};
    for (const auto& [value, message] : required) {
        if (value.empty()) {
            throw std::runtime_error(LangString(message));
        }
    }
    std::vector<std::string> sendList;
    std::string invalid;
    for (const std::string& entry : ParseRecipients(settings.recipients)) {
        if (IsValidEmail(entry)) {
            sendList.push_back(entry);
        } else {
            invalid += "\n" + entry;
        }
    }
    if (!invalid.empty()) {
        throw std::runtime_error(LangString(kTextInvalidAddresses) + invalid);
    }
    ServerAddress server = ParseSmtpServer(settings.smtpServer);

    // Whatever the list's encoding was, the texts go out as the UTF-8 their labels say.
    CMailMessage message;
    message.SetMultipartType(MultipartRelated);
    message.SetSubject(decodeText(settings.subject));
    message.SetSender(settings.senderEmail, decodeText(settings.senderName));
    message.AddBody(CMailBodyPart("<html><body>" + decodeText(settings.text) + "<br><hr><br>" +
                                      "<img src=\"cid:1\"></body></html>",
                                  "text/html", "utf-8", EncodingAuto));
    CMailAttachment image("", jpeg ? "weatherimage.jpg" : "weatherimage.png", false, "",
                          "iso-8859-1", EncodingAuto);
    image.contentId = "1";
    image.data = data;
    image.size = size;
    message.AddAttachment(image);

    CEnhSmtp smtp;
    smtp.stop = stop;
    if (!settings.smtpUserName.empty()) {
        smtp.authUser = settings.smtpUserName;
        smtp.authPassword = settings.smtpPassword;
        smtp.allowPlainLogin = settings.allowPlainLogin;
    }
    smtp.port = server.port;
    smtp.implicitTls = server.transport == Transport::ImplicitTls;
    if (!smtp.Connect(server.host)) {
        throw std::runtime_error(!smtp.lastErrorText.empty()
                                     ? smtp.lastErrorText
                                     : LangString(kTextCouldNotConnect) + " (" +
                                           settings.smtpServer + ")");
    }
    for (const std::string& address : sendList) {
        message.SetRecipient(address);
        message.SetMessageId(NewMessageId(settings.senderEmail));
        smtp.lastErrorText.clear();
        smtp.lastErrorCode = 0;
        int result = smtp.SendMail(message);
        if (result != 0) {
            std::string text = LangString(kTextErrorCode) + ":\n" + std::to_string(result) + "\n" +
                               LangString(kTextErrorMessage) + ":\n" + smtp.lastErrorText + "\n(" +
                               address + ")";
            smtp.Disconnect();
            throw std::runtime_error(text);
        }
    }
    smtp.Disconnect();
    return true;
}
