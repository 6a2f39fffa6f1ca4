// Publishing over SSH file transfer: the bytes go to a temporary name and are renamed over the
// target in the same session; the server's host key is checked against ~/.ssh/known_hosts.
#pragma once

#include <cstddef>
#include <string>

#include "base/server_address.h"
#include "base/stop_check.h"
#include "net/ftp_publisher.h"
#include "net/internet.h"

// Uploads as temporary, then replaces settings.fileName with it; a new host's key is recorded,
// a changed one refused. CInternetException with what went wrong.
void UploadBySftp(const ServerAddress& address, const FtpSettings& settings,
                  const std::string& temporary, const unsigned char* data, size_t size,
                  const StopCheck& stop, const FtpLimits& limits);

// The file of known host keys: ~/.ssh/known_hosts.
std::string KnownHostsFile();

// "SHA256:<base64 without padding>" of a public key as the server sends it, as ssh shows it.
std::string HostKeyFingerprint(const unsigned char* key, size_t size);
