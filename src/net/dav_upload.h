// Publishing to a WebDAV server (dav:// over HTTP, davs:// over HTTPS): the bytes are PUT under
// the temporary name and then MOVEd onto the target, so that the web never shows half an image.
#pragma once

#include <cstddef>
#include <string>

#include "base/server_address.h"
#include "base/stop_check.h"
#include "net/ftp_publisher.h"
#include "net/internet.h"

// Uploads as temporary into the server's path joined with settings.filePath (relative to it,
// or absolute from the server's root), then moves it over settings.fileName. Basic or digest
// login; over plain HTTP only digest, unless settings.davPlainLogin. Certificates, stalls and
// stops as for FTP; CInternetException with the server's status line or what went wrong.
void UploadByDav(const ServerAddress& address, const FtpSettings& settings,
                 const std::string& temporary, const unsigned char* data, size_t size,
                 const StopCheck& stop, const FtpLimits& limits);
