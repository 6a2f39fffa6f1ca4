// Publishing an image by FTP: stored under a temporary name, then renamed over the target, so
// a page that shows the target never sees a half-written image.
#pragma once

#include <string>

// The FTP settings of an image.
struct FtpSettings {
    std::string serverName;  // "host" or "host:port"
    std::string userName;
    std::string password;
    std::string filePath;  // changed into first; empty: the login directory
    std::string fileName;
};

// Uploads the bytes; std::runtime_error for bad settings, CInternetException with the
// server's or the library's text when an FTP operation fails.
bool UploadByFtp(const FtpSettings& settings, const unsigned char* data, size_t size);
