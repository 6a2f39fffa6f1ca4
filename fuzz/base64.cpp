// Base64 decoding of arbitrary text, and the round trip of arbitrary bytes.
#include <cstdlib>
#include <cstring>

#include "mail/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CBase64 coder;
    coder.Decode(reinterpret_cast<const char*>(data), size);
    std::string text = CBase64::EncodeToString(data, size);
    coder.Decode(text.c_str(), text.size());
    if (coder.DecodedLength() < size || std::memcmp(coder.GetDecoded(), data, size) != 0) {
        std::abort();
    }
    return 0;
}
