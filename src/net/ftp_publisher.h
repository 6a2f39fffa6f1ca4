// Publishing an image by FTP (plain, with TLS, or over SSH), into a folder or by WebDAV: stored
// under a temporary name, then renamed over the target, so a page that shows the target never
// sees a half-written image.
#pragma once

#include <string>

#include "base/stop_check.h"
#include "net/internet.h"

// The FTP settings of an image.
struct FtpSettings {
    std::string serverName;  // "host[:port]", optionally after ftpes://, ftps:// or sftp://;
                             // file:///folder; dav:// or davs://host[:port][/path]
    std::string userName;
    std::string password;
    std::string filePath;  // changed into first, relative to the login folder unless it
                           // starts with "/"; empty: the login folder
    std::string fileName;
    bool passive = false;        // never tries active mode first
    bool davPlainLogin = false;  // dav:// may send the password in plain text (Basic login)
};

// Uploads the bytes (or writes them into the folder); std::runtime_error for bad settings,
// CInternetException with the server's refusal or what went wrong when an operation fails, also
// when stop asked it to end.
bool UploadByFtp(const FtpSettings& settings, const unsigned char* data, size_t size,
                 const StopCheck& stop = {}, const FtpLimits& limits = {});
