// The FTP reply collection and error text on arbitrary server lines.
#include <cstdlib>

#include "net/internet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFtpReplyReader reader;
    const char* text = reinterpret_cast<const char*>(data);
    size_t start = 0;
    for (size_t i = 0; i < size; ++i) {
        if (text[i] == '\n') {
            reader.Feed(text + start, i + 1 - start);
            start = i + 1;
        }
    }
    reader.Feed(text + start, size - start);
    CInternetException error(1, reader.IsRefusal() ? reader.LastReply() : "");
    if (error.GetMessage().empty()) {
        std::abort();
    }
    return 0;
}
