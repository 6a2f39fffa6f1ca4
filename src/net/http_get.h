// One HTTP or HTTPS GET with libcurl, as the live check and the camera pictures need it:
// redirects only within http and https, bounded in time and in the bytes kept, certificates
// checked as publishing checks its servers.
#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/stop_check.h"

struct HttpGetRequest {
    // user:password in it go by the methods of auth only.
    std::string address;
    std::vector<std::string> headers;
    unsigned long auth = CURLAUTH_BASIC | CURLAUTH_DIGEST;
    // A certificate file trusted alone; "" for the trusted ones of publishing.
    std::string caFile;
    int connectSeconds = 30;
    int totalSeconds = 60;
    // More than this many bytes ends the transfer with the reply cut.
    size_t keepBytes = 0;
    // Whether to ask for the reply's Last-Modified.
    bool fileTime = false;
};

struct HttpGetReply {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string type;  // the Content-Type, "" without one
    std::string body;  // at most keepBytes
    bool cut = false;
    // libcurl's words for a failure.
    std::string error;
    // OpenSSL's reason after a failed certificate check.
    std::string certificateProblem;
    // Seconds since 1970 of Last-Modified; -1 without one.
    std::int64_t modified = -1;
    // Whether the connection was made before a time limit ran out.
    bool connected = false;
};

// Fetches the address; only a stop asked for raises (std::runtime_error with the stop text).
HttpGetReply HttpGet(const HttpGetRequest& request, const StopCheck& stop);

// The host name of an address, or the address itself when it has none.
std::string HostOf(const std::string& address);

// The address for showing it: without its password, and without its user name unless keepUser;
// unchanged when it has neither.
std::string AddressWithoutPassword(const std::string& address, bool keepUser);
