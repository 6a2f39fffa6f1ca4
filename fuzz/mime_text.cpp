// Quoted-printable, line wrapping and the whole content encoding on arbitrary text: no line
// may reach the server longer than allowed or with a bare CR or LF.
#include <cstdlib>

#include "mail/mail_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string out;
    CMailMessage::EncodeQuotedPrintable(out, input);
    CMailMessage::WrapLines(out, input, 76);
    for (MimeEncoding encoding :
         {Encoding7Bit, Encoding8Bit, EncodingQuotedPrintable, EncodingBase64}) {
        std::string text = input;
        std::string name;
        CMailMessage::EncodeContent(encoding, text, name, nullptr, 0);
        for (size_t i = 0; i < text.size(); ++i) {
            bool crlf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
            if ((text[i] == '\r' && !crlf) ||
                (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))) {
                std::abort();
            }
            if (crlf && text.compare(i, 5, "\r\n.\r\n") == 0) {
                std::abort();  // would end the data early
            }
        }
        if (text.rfind(".\r\n", 0) == 0) {
            std::abort();
        }
    }
    return 0;
}
