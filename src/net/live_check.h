// The check after an upload that the web page really shows the new image: the image's web
// address fetched past every cache and compared byte for byte with what was uploaded.
#pragma once

#include <cstddef>
#include <string>

#include "base/stop_check.h"

// How long the fetch may take.
struct LiveCheckLimits {
    int connectSeconds = 20;  // for the web server to accept the connection
    int totalSeconds = 60;    // for the whole answer, redirects included
};

// Why url cannot be fetched: it starts neither with http:// nor with https://; "" when it can.
std::string WebAddressProblem(const std::string& url);

// Returns when url (http:// or https://, certificates checked as for FTP) serves exactly these
// bytes; std::runtime_error naming the address and what it served otherwise, also when stop
// asked it to end.
void CheckImageIsLive(const std::string& url, const unsigned char* data, size_t size,
                      const StopCheck& stop = {}, const LiveCheckLimits& limits = {});
