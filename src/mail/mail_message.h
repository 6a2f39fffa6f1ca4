// One e-mail: addresses, subject, headers, body parts and attachments, and its complete
// MIME text as sent after DATA (encoded, line-wrapped and dot-stuffed).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

enum MimeEncoding {
    EncodingAuto = 0,
    Encoding7Bit = 1,
    Encoding8Bit = 2,
    EncodingQuotedPrintable = 3,
    EncodingBase64 = 4
};

enum MultipartType {
    MultipartAuto = 0,
    MultipartMixed = 1,
    MultipartAlternative = 2,
    MultipartRelated = 3
};

struct CMailAddress {
    std::string name;
    std::string address;
};

struct CMailBodyPart {
    CMailBodyPart(std::string text, std::string contentType, std::string charset,
                  MimeEncoding encoding)
        : contentType(std::move(contentType)),
          charset(std::move(charset)),
          encoding(encoding),
          text(std::move(text)) {}

    std::string contentType;
    std::string charset;
    std::string contentId;
    MimeEncoding encoding;
    std::string text;
};

// The bytes come from the file at path, or, without a path, from data and size (owned by the
// caller, valid while the message is built).
struct CMailAttachment {
    CMailAttachment(std::string path, std::string name, bool isInline, std::string contentType,
                    std::string charset, MimeEncoding encoding)
        : contentType(std::move(contentType)),
          charset(std::move(charset)),
          encoding(encoding),
          path(std::move(path)),
          name(std::move(name)),
          isInline(isInline) {}

    std::string contentType;
    std::string charset;
    std::string contentId;
    MimeEncoding encoding;
    std::string path;
    std::string name;
    bool isInline;
    const unsigned char* data = nullptr;
    size_t size = 0;
};

// The media type for a file name's extension; "application/octet-stream" when unknown.
std::string MediaTypeOf(const std::string& fileName);

// The text as it may stand in a header: unchanged when it is printable ASCII, else as RFC 2047
// encoded words of UTF-8, folded onto lines of their own.
std::string EncodedHeaderText(std::string_view text);

// A new, unique Message-ID (without its angle brackets) in the domain of the sender's address.
std::string NewMessageId(const std::string& senderAddress);

// The value with every CR, LF and NUL replaced by a blank, so it cannot start a header or a
// command of its own.
std::string HeaderSafe(std::string value);

class CMailMessage {
  public:
    // Takes the local time and the time zone offset of this moment.
    CMailMessage();

    void SetSender(const std::string& address, const std::string& name = "");
    void SetRecipient(const std::string& address, const std::string& name = "");
    void SetSubject(const std::string& subject) { m_subject = HeaderSafe(subject); }
    void SetMultipartType(MultipartType type) { m_multipartType = type; }
    void SetMessageId(const std::string& id) { m_messageId = HeaderSafe(id); }

    const CMailAddress& GetSender() const { return m_sender; }
    const CMailAddress& GetRecipient() const { return m_recipient; }
    const std::vector<CMailAddress>& GetCc() const { return m_cc; }
    const std::vector<CMailAddress>& GetBcc() const { return m_bcc; }
    MultipartType GetMultipartType() const { return m_multipartType; }
    int GetTimeZoneOffset() const { return m_timeZoneOffset; }
    void SetTimeZoneOffset(int offset) { m_timeZoneOffset = offset; }

    void AddBody(const CMailBodyPart& part) { m_bodies.push_back(part); }
    void AddAttachment(const CMailAttachment& attachment) { m_attachments.push_back(attachment); }
    void AddCc(const CMailAddress& address);
    void AddBcc(const CMailAddress& address);

    // Removes any header of that name and appends the pair; CR and LF become blanks.
    void SetHeader(const std::string& name, const std::string& value);
    void AddHeaderIfAbsent(const std::string& name, const std::string& value);
    void RemoveHeader(const std::string& name);

    // The whole message text: headers, newest first, then the parts.
    void BuildText(std::string& output);

    // 1 to 4 by inspection of the bytes (size > 0).
    static MimeEncoding DetectEncoding(const unsigned char* data, size_t size);
    // Encodes data (or, when data is null, text itself) into text; the name of the encoding
    // used goes to encodingName. The result is dot-stuffed for SMTP.
    static void EncodeContent(MimeEncoding encoding, std::string& text, std::string& encodingName,
                              const unsigned char* data, size_t size);
    static void EncodeQuotedPrintable(std::string& output, const std::string& input);
    static void WrapLines(std::string& output, const std::string& input, size_t maxLength);
    static void ToSevenBit(std::string& text);

  private:
    void AppendHeader(const std::string& name, const std::string& value);
    void WriteAttachment(std::string& output, const std::string& boundary,
                         const CMailAttachment& attachment, const std::string& name,
                         const unsigned char* data, size_t size) const;
    std::string DateHeader() const;

    CMailAddress m_sender;
    CMailAddress m_recipient;
    std::string m_subject;
    std::vector<CMailBodyPart> m_bodies;
    std::vector<CMailAddress> m_cc;
    std::vector<CMailAddress> m_bcc;
    std::vector<CMailAttachment> m_attachments;
    std::vector<std::pair<std::string, std::string>> m_headers;
    std::int64_t m_timeStamp;
    MultipartType m_multipartType = MultipartAuto;
    std::string m_messageId;
    int m_timeZoneOffset = 0;
};
