// Publishing an image by e-mail: one HTML message with the image inline, sent through the
// image's SMTP server once per recipient.
#pragma once

#include <string>
#include <vector>

#include "mail/smtp.h"

// An SMTP client that keeps the last error for the export's message.
class CEnhSmtp : public CSmtp {
  public:
    int OnError(int code, const std::string& response) override;

    std::string lastErrorText;
    int lastErrorCode = 0;
};

// The e-mail settings of an image.
struct EmailSettings {
    std::string smtpServer;  // "host", "host:port", optionally after "smtp://" or "smtps://"
    std::string smtpUserName;
    std::string smtpPassword;
    std::string senderName;
    std::string senderEmail;
    std::string recipients;  // as typed: separated by ";" or ","
    std::string subject;
    std::string text;
    // Log in even where the server offers no TLS: the user's explicit choice for this image.
    bool allowPlainLogin = false;
};

// The addresses of a recipient list: "," and ";" separate, line ends and blanks are dropped,
// empty entries skipped.
std::vector<std::string> ParseRecipients(std::string list);

// True for a plain address: one "@", a last label of one to three characters, only letters,
// digits, "_", ".", "@" and "-", no "_" after the "@".
bool IsValidEmail(const std::string& address);

// Sends the image (a JPEG file when jpeg, else PNG) to every recipient; std::runtime_error
// with the message the export shows on any failure, also when stop asked it to end. Copies
// already sent stay sent.
bool SendImageByEmail(const EmailSettings& settings, const unsigned char* data, size_t size,
                      bool jpeg, const StopCheck& stop = {});
