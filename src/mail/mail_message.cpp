#include "mail/mail_message.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

#include "base/clock.h"
#include "diag/log.h"
#include "mail/base64.h"

namespace {

constexpr size_t kLineLength = 76;
constexpr std::string_view kBreakCharacters = " -;.,?!";

unsigned tickCount() {
    return static_cast<unsigned>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

// Every line end (CR LF, a lone CR, a lone LF) as CR LF: a bare LF or CR must never reach
// the server, where it could end the data early.
std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

// Calls onLine(line, hadBreak) for each line of CR LF text.
template <class F>
void forEachLine(std::string_view text, F onLine) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\r', start);
        if (end == std::string_view::npos) {
            onLine(text.substr(start), false);
            return;
        }
        onLine(text.substr(start, end - start), true);
        start = end + 1;
        if (start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
}

// A text ends at its first zero byte, as a C string would.
std::string asText(const unsigned char* data, size_t size) {
    const void* zero = std::memchr(data, 0, size);
    size_t length = zero != nullptr ? static_cast<const unsigned char*>(zero) - data : size;
    return std::string(reinterpret_cast<const char*>(data), length);
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// A display name inside double quotes, with its quotes and backslashes escaped.
std::string quotedName(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\" ";
}

bool isPlainAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return byte >= 32 && byte < 127;
    });
}

std::string mailbox(const CMailAddress& address) {
    std::string out;
    if (!address.name.empty()) {
        // An encoded word must not stand inside quotes; the address goes on a line of its
        // own, so that no line grows past 78 characters.
        out += isPlainAscii(address.name) ? quotedName(address.name)
                                          : EncodedHeaderText(address.name) + "\r\n ";
    }
    if (!address.address.empty()) {
        out += "<" + address.address + ">";
    }
    return out;
}

CMailAddress safeAddress(const CMailAddress& address) {
    return {HeaderSafe(address.name), HeaderSafe(address.address)};
}

}  // namespace

std::string HeaderSafe(std::string value) {
    // A NUL would also end the text that is sent at that point.
    std::replace_if(
        value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; },
        ' ');
    return value;
}

std::string EncodedHeaderText(std::string_view text) {
    if (isPlainAscii(text)) {
        return std::string(text);
    }
    // 42 bytes make an encoded word of 68 characters, so that even the first line with the
    // header's name stays within 78.
    constexpr size_t kWordBytes = 42;
    std::string out;
    while (!text.empty()) {
        size_t cut = std::min(kWordBytes, text.size());
        // A character's bytes stay in one word.
        while (cut < text.size() && cut > 1 &&
               (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        std::string_view piece = text.substr(0, cut);
        out += (out.empty() ? "" : "\r\n ") + std::string("=?UTF-8?B?") +
               CBase64::EncodeToString(reinterpret_cast<const unsigned char*>(piece.data()),
                                       piece.size()) +
               "?=";
        text.remove_prefix(cut);
    }
    return out;
}

std::string NewMessageId(const std::string& senderAddress) {
    size_t at = senderAddress.rfind('@');
    std::string domain = at != std::string::npos ? senderAddress.substr(at + 1) : "";
    std::erase_if(domain, [](char c) {
        return !std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-';
    });
    if (domain.empty()) {
        domain = "localhost";
    }
    std::random_device random;
    char unique[64];
    std::snprintf(unique, sizeof unique, "%llx.%08x%08x%08x",
                  static_cast<unsigned long long>(Clock::NowSeconds()), random(), random(),
                  random());
    return std::string(unique) + "@" + domain;
}

std::string MediaTypeOf(const std::string& fileName) {
    static const std::map<std::string, std::string> types = {
        {"bmp", "image/bmp"},    {"css", "text/css"},        {"csv", "text/csv"},
        {"gif", "image/gif"},    {"htm", "text/html"},       {"html", "text/html"},
        {"ico", "image/x-icon"}, {"jpe", "image/jpeg"},      {"jpeg", "image/jpeg"},
        {"jpg", "image/jpeg"},   {"js", "text/javascript"},  {"pdf", "application/pdf"},
        {"png", "image/png"},    {"svg", "image/svg+xml"},   {"tif", "image/tiff"},
        {"tiff", "image/tiff"},  {"txt", "text/plain"},      {"webp", "image/webp"},
        {"xml", "text/xml"},     {"zip", "application/zip"},
    };
    auto dot = fileName.rfind('.');
    if (dot != std::string::npos) {
        std::string extension = fileName.substr(dot + 1);
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        auto it = types.find(extension);
        if (it != types.end()) {
            return it->second;
        }
    }
    return "application/octet-stream";
}

CMailMessage::CMailMessage() : m_timeStamp(Clock::NowSeconds()) {
    std::time_t now = static_cast<std::time_t>(m_timeStamp);
    std::tm local{};
    localtime_r(&now, &local);
    // The bias of the system's zone in minutes: UTC = local + bias.
    long bias = -local.tm_gmtoff / 60;
    m_timeZoneOffset = static_cast<int>(-(bias / 60) * 100 - (bias % 60));
}

void CMailMessage::SetSender(const std::string& address, const std::string& name) {
    m_sender = safeAddress({name, address});
}

void CMailMessage::SetRecipient(const std::string& address, const std::string& name) {
    m_recipient = safeAddress({name, address});
}

void CMailMessage::AddCc(const CMailAddress& address) {
    m_cc.push_back(safeAddress(address));
}

void CMailMessage::AddBcc(const CMailAddress& address) {
    m_bcc.push_back(safeAddress(address));
}

void CMailMessage::RemoveHeader(const std::string& name) {
    std::erase_if(m_headers, [&](const auto& header) { return header.first == name; });
}

void CMailMessage::AppendHeader(const std::string& name, const std::string& value) {
    RemoveHeader(name);
    m_headers.emplace_back(name, value);
}

void CMailMessage::SetHeader(const std::string& name, const std::string& value) {
    AppendHeader(HeaderSafe(name), HeaderSafe(value));
}

void CMailMessage::AddHeaderIfAbsent(const std::string& name, const std::string& value) {
    bool present = std::any_of(m_headers.begin(), m_headers.end(),
                               [&](const auto& header) { return header.first == name; });
    if (!present) {
        m_headers.emplace_back(HeaderSafe(name), HeaderSafe(value));
    }
}

MimeEncoding CMailMessage::DetectEncoding(const unsigned char* data, size_t size) {
    size_t printable = 0;
    bool longLine = false;
    bool nonPrintable = false;
    size_t lineStart = 0;
    bool sawCr = false;
    for (size_t i = 0; i < size; ++i) {
        unsigned char c = data[i];
        if ((c >= 32 && c < 127) || c == '\t' || c == '\r' || c == '\n') {
            ++printable;
        } else {
            nonPrintable = true;
        }
        if (c == '\r') {
            sawCr = true;
            longLine = longLine || i - lineStart > 77;
            lineStart = i + 1;
        }
    }
    if (!sawCr && size > 76) {
        longLine = true;
    }
    if (printable * 100 / size < 90) {
        return EncodingBase64;
    }
    if (longLine) {
        return EncodingQuotedPrintable;
    }
    return nonPrintable ? Encoding8Bit : Encoding7Bit;
}

void CMailMessage::ToSevenBit(std::string& text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) > 126) {
            c = '?';
        }
    }
}

void CMailMessage::WrapLines(std::string& output, const std::string& input, size_t maxLength) {
    output.clear();
    output.reserve(input.size() + input.size() / maxLength * 2 + 2);
    forEachLine(input, [&](std::string_view line, bool hadBreak) {
        while (line.size() > maxLength) {
            // The last break character within reach ends the piece; without one the piece
            // is as long as allowed (rather than one character at a time).
            size_t cut = line.substr(0, maxLength).find_last_of(kBreakCharacters);
            cut = cut == std::string_view::npos ? maxLength : cut + 1;
            output.append(line.substr(0, cut));
            output += "\r\n";
            line.remove_prefix(cut);
        }
        output.append(line);
        if (hadBreak) {
            output += "\r\n";
        }
    });
}

void CMailMessage::EncodeQuotedPrintable(std::string& output, const std::string& input) {
    std::string escaped;
    escaped.reserve(input.size() + input.size() / 8);
    for (char ch : input) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '=' || c >= 127 || (c < 32 && c != '\t' && c != '\r' && c != '\n')) {
            char code[4];
            std::snprintf(code, sizeof code, "=%2.2X", c);
            escaped += code;
        } else {
            escaped += ch;
        }
    }
    output.clear();
    forEachLine(escaped, [&](std::string_view view, bool hadBreak) {
        std::string line(view);
        for (;;) {
            while (line.size() >= 77) {
                size_t cut = line[74] == '=' ? 74 : line[73] == '=' ? 73 : 75;
                output.append(line, 0, cut);
                output += "=\r\n";
                line.erase(0, cut);
            }
            if (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
                std::string escape = line.back() == ' ' ? "=20" : "=09";
                line.pop_back();
                line += escape;
                if (line.size() >= 77) {
                    continue;
                }
            }
            break;
        }
        output += line;
        if (hadBreak) {
            output += "\r\n";
        }
    });
}

void CMailMessage::EncodeContent(MimeEncoding encoding, std::string& text,
                                 std::string& encodingName, const unsigned char* data,
                                 size_t size) {
    const auto* source =
        data != nullptr ? data : reinterpret_cast<const unsigned char*>(text.data());
    size_t length = data != nullptr ? size : text.size();
    if (length == 0) {
        LogMessage(Warn, "Empty attachment file\n");
        return;
    }
    unsigned started = tickCount();
    if (encoding == EncodingAuto) {
        encoding = DetectEncoding(source, length);
    }
    std::string encoded;
    switch (encoding) {
        case Encoding7Bit: {
            encodingName = "7bit";
            std::string copy = withCrLf(asText(source, length));
            ToSevenBit(copy);
            WrapLines(encoded, copy, kLineLength);
            break;
        }
        case Encoding8Bit:
            encodingName = "8bit";
            WrapLines(encoded, withCrLf(asText(source, length)), kLineLength);
            break;
        case EncodingQuotedPrintable:
            encodingName = "quoted-printable";
            EncodeQuotedPrintable(encoded, withCrLf(asText(source, length)));
            break;
        case EncodingBase64:
            encodingName = "base64";
            WrapLines(encoded, CBase64::EncodeToString(source, length), kLineLength);
            break;
        default:
            break;
    }
    // Dot-stuffing; the text always follows a line end, so its first line counts too.
    text.clear();
    text.reserve(encoded.size() + 16);
    if (!encoded.empty() && encoded.front() == '.') {
        text += '.';
    }
    size_t start = 0;
    for (size_t found; (found = encoded.find("\r\n.", start)) != std::string::npos;) {
        text.append(encoded, start, found + 3 - start);
        text += '.';
        start = found + 3;
    }
    text.append(encoded, start, std::string::npos);
    LogMessage(Debug, "Encoding took %ums\n", tickCount() - started);
}

std::string CMailMessage::DateHeader() const {
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::time_t when = static_cast<std::time_t>(m_timeStamp);
    std::tm t{};
    localtime_r(&when, &t);
    char text[96];
    // UTC is "+0000": "-0000" says that the zone is unknown.
    std::snprintf(text, sizeof text, "%s, %d %s %d %02d:%02d:%02d %c%4.4d", days[t.tm_wday],
                  t.tm_mday, months[t.tm_mon], t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec,
                  m_timeZoneOffset < 0 ? '-' : '+', std::abs(m_timeZoneOffset));
    return text;
}

void CMailMessage::WriteAttachment(std::string& output, const std::string& boundary,
                                   const CMailAttachment& attachment, const std::string& name,
                                   const unsigned char* data, size_t size) const {
    if (!boundary.empty()) {
        output += "\r\n--" + boundary + "\r\n";
    }
    std::string type = !attachment.contentType.empty() ? attachment.contentType : MediaTypeOf(name);
    output += "Content-Type: " + type;
    if (startsWithIgnoringCase(type, "text/")) {
        output += ";\r\n\tcharset=\"" + attachment.charset + "\"";
    }
    output += ";\r\n\tname=\"" + name + "\"\r\n";
    std::string encoded;
    std::string encodingName;
    EncodeContent(attachment.encoding, encoded, encodingName, data, size);
    output += "Content-Transfer-Encoding: " + encodingName + "\r\n";
    output += std::string("Content-Disposition: ") +
              (attachment.isInline ? "inline" : "attachment") + ";\r\n\tfilename=\"" + name + "\"";
    if (!attachment.contentId.empty()) {
        output += "\r\nContent-ID: <" + attachment.contentId + ">";
    }
    output += "\r\n\r\n" + encoded;
}

void CMailMessage::BuildText(std::string& output) {
    output.clear();
    size_t parts = m_bodies.size() + m_attachments.size();
    bool multipart = parts >= 2;
    RemoveHeader("Content-Type");
    char boundaryText[64];
    std::string outer;
    if (multipart) {
        std::snprintf(boundaryText, sizeof boundaryText, "CSmtpMsgPart123X456_000_%8.8X",
                      tickCount());
        outer = boundaryText;
        if (m_multipartType == MultipartAuto) {
            m_multipartType = m_attachments.empty() ? MultipartAlternative : MultipartMixed;
        }
        static const char* const subtypes[] = {"mixed", "mixed", "alternative", "related"};
        AppendHeader("Content-Type", std::string("multipart/") + subtypes[m_multipartType] +
                                         ";\r\n\tboundary=\"" + outer + "\"");
    }
    SetHeader("MIME-Version", "1.0");
    RemoveHeader("Message-ID");
    if (!m_messageId.empty()) {
        AppendHeader("Message-ID", "<" + m_messageId + ">");
    }
    AddHeaderIfAbsent("X-Priority", "3 (Normal)");
    AddHeaderIfAbsent("X-MSMail-Priority", "Normal");
    AddHeaderIfAbsent("X-Mailer", "Skyvane " SKYVANE_VERSION);
    AddHeaderIfAbsent("Importance", "Normal");
    AppendHeader("Date", DateHeader());
    AppendHeader("Subject", EncodedHeaderText(m_subject));
    std::string to = mailbox(m_recipient);
    for (const CMailAddress& cc : m_cc) {
        to += (to.empty() ? "" : ",\r\n\t") + mailbox(cc);
    }
    AppendHeader("To", to);
    AppendHeader("From", mailbox(m_sender));
    for (auto it = m_headers.rbegin(); it != m_headers.rend(); ++it) {
        output += it->first + ": " + it->second + "\r\n";
    }
    if (multipart) {
        output += "\r\nThis is a multipart message in MIME format\r\n";
    }
    std::string inner;
    if (multipart && !m_attachments.empty() && m_bodies.size() > 1) {
        std::snprintf(boundaryText, sizeof boundaryText, "CSmtpMsgPart123X456_001_%8.8X",
                      tickCount());
        inner = boundaryText;
        output += "\r\n--" + outer + "\r\nContent-Type: multipart/alternative;\r\n\tboundary=\"" +
                  inner + "\"\r\n";
    }
    for (const CMailBodyPart& part : m_bodies) {
        if (!inner.empty()) {
            output += "\r\n--" + inner + "\r\n";
        } else if (multipart) {
            output += "\r\n--" + outer + "\r\n";
        }
        output += "Content-Type: " + part.contentType;
        if (startsWithIgnoringCase(part.contentType, "text/")) {
            output += ";\r\n\tcharset=\"" + part.charset + "\"";
        }
        output += "\r\n";
        std::string text = part.text;
        std::string encodingName;
        EncodeContent(part.encoding, text, encodingName, nullptr, 0);
        output += "Content-Transfer-Encoding: " + encodingName;
        if (!part.contentId.empty()) {
            output += "\r\nContent-ID: <" + part.contentId + ">";
        }
        output += "\r\n\r\n" + text;
    }
    if (!inner.empty()) {
        output += "\r\n--" + inner + "--\r\n";
    }
    for (const CMailAttachment& attachment : m_attachments) {
        if (!attachment.path.empty()) {
            std::ifstream in(attachment.path, std::ios::binary);
            if (!in) {
                continue;
            }
            std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                             std::istreambuf_iterator<char>());
            if (in.bad()) {
                continue;
            }
            std::string name = attachment.name;
            if (name.empty()) {
                name = attachment.path.substr(attachment.path.find_last_of("/\\") + 1);
            }
            WriteAttachment(output, outer, attachment, name, bytes.data(), bytes.size());
        } else if (attachment.data != nullptr) {
            // A name is needed for the part; one given as data may come without.
            std::string name = attachment.name.empty() ? "attachment" : attachment.name;
            WriteAttachment(output, outer, attachment, name, attachment.data, attachment.size);
        }
    }
    if (multipart) {
        output += "\r\n--" + outer + "--\r\n";
    }
}
