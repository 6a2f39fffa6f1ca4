// Publishing into a folder of this computer (file://), as a web server beside Skyvane serves
// it: written under a temporary name in the same folder, flushed to disk, then renamed over the
// target, so that the web server never serves half an image.
#pragma once

#include <cstddef>
#include <string>

#include "net/ftp_publisher.h"

// Writes the bytes as temporary into base joined with settings.filePath (relative to base, or
// absolute), then renames it to settings.fileName. The file's mode comes from the umask. A
// missing folder is never made; CInternetException with the folder and the reason.
void PublishToFolder(const std::string& base, const FtpSettings& settings,
                     const std::string& temporary, const unsigned char* data, size_t size);
