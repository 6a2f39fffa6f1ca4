// An upload as the tests make it: a 100 KiB image, the error text of an upload, and a look
// into that text.
#pragma once

#include <exception>
#include <string>

#include "net/ftp_publisher.h"

inline const std::string kImage = [] {
    std::string bytes(100 * 1024, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>((i * 31) % 251);
    }
    return bytes;
}();

// "" when the upload worked.
inline std::string tryUpload(const FtpSettings& ftp, const std::string& bytes = kImage,
                             const StopCheck& stop = {}, const FtpLimits& limits = {}) {
    try {
        UploadByFtp(ftp, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), stop,
                    limits);
    } catch (const std::exception& error) {
        return error.what();
    }
    return "";
}

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}
