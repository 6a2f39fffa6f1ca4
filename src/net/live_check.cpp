#include "net/live_check.h"

#include <atomic>
#include <cctype>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "base/clock.h"
#include "base/lang_string.h"
#include "base/string_ids.h"
#include "net/http_get.h"
#include "net/tls_trust.h"

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

// The address with a query no cache has seen before, without a fragment.
std::string uncachedAddress(const std::string& url) {
    static std::atomic<unsigned> counter{0};
    std::string address = url.substr(0, url.find('#'));
    address += address.find('?') == std::string::npos ? '?' : '&';
    return address + "skyvane-check=" + std::to_string(Clock::NowSeconds()) + "-" +
           std::to_string(counter++);
}

// True for the bytes of an image: served as one, or starting as JPEG, PNG or GIF do.
bool looksLikeImage(const std::string& bytes, const std::string& type) {
    if (startsWith(type, "image/")) {
        return true;
    }
    for (std::string_view magic : {std::string_view("\xFF\xD8\xFF"), std::string_view("\x89PNG"),
                                   std::string_view("GIF8")}) {
        if (std::string_view(bytes).substr(0, magic.size()) == magic) {
            return true;
        }
    }
    return type.empty();
}

std::string withoutFinalDot(std::string text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ' ' || text.back() == '\n')) {
        text.pop_back();
    }
    return text;
}

// Fetches the address past every cache, keeping one byte more than the image: enough to tell
// that it differs.
HttpGetReply fetch(const std::string& address, size_t size, const StopCheck& stop,
                   const LiveCheckLimits& limits) {
    HttpGetRequest request;
    request.address = uncachedAddress(address);
    request.headers = {"Cache-Control: no-cache", "Pragma: no-cache"};
    // A password in a plain http address goes only by digest, which never sends it itself.
    request.auth =
        startsWith(address, "http://") ? CURLAUTH_DIGEST : CURLAUTH_BASIC | CURLAUTH_DIGEST;
    request.connectSeconds = limits.connectSeconds;
    request.totalSeconds = limits.totalSeconds;
    request.keepBytes = size + 1;
    return HttpGet(request, stop);
}

// Why what was fetched is not the image; "" when it is.
std::string problemOf(const std::string& url, const HttpGetReply& fetched,
                      const LiveCheckLimits& limits, const unsigned char* data, size_t size) {
    std::string reason = withoutFinalDot(fetched.error);
    switch (fetched.code) {
        case CURLE_OK:
        case CURLE_WRITE_ERROR:  // more than the image: it differs
            break;
        case CURLE_OPERATION_TIMEDOUT:
            // Which wait ran out: for the connection, or for the answer.
            return LangString(kTextWebServerNoAnswer,
                              {url, std::to_string(fetched.connected ? limits.totalSeconds
                                                                     : limits.connectSeconds)});
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
            return LangString(kTextWebServerUnreachable, {url, reason});
        case CURLE_PEER_FAILED_VERIFICATION:
            return LangString(kTextCheckingFailed,
                              {url, UntrustedCertificateText(fetched.certificateProblem)});
        default:
            return LangString(kTextCheckingFailed, {url, reason + "."});
    }
    if (fetched.status == 404 || fetched.status == 410) {
        return LangString(kTextPublishedImageMissing, {url, std::to_string(fetched.status)});
    }
    if (fetched.status != 200) {
        return LangString(kTextWebServerStatus, {url, std::to_string(fetched.status)});
    }
    if (!fetched.cut && fetched.body.size() == size &&
        std::memcmp(fetched.body.data(), data, size) == 0) {
        return {};
    }
    if (fetched.body.empty()) {
        return LangString(kTextServesNothing, {url});
    }
    if (!looksLikeImage(fetched.body, fetched.type)) {
        return LangString(kTextServesOtherType,
                          {url, fetched.type.substr(0, fetched.type.find(';'))});
    }
    return LangString(kTextServesOlderImage, {url});
}

}  // namespace

std::string WebAddressProblem(const std::string& url) {
    if (startsWith(url, "http://") || startsWith(url, "https://")) {
        return {};
    }
    return LangString(kTextWebAddressInvalid, {url});
}

void CheckImageIsLive(const std::string& address, const unsigned char* data, size_t size,
                      const StopCheck& stop, const LiveCheckLimits& limits) {
    std::string url = AddressWithoutPassword(address, true);
    if (std::string problem = WebAddressProblem(url); !problem.empty()) {
        throw std::runtime_error(problem);
    }
    HttpGetReply fetched = fetch(address, size, stop, limits);
    if (std::string problem = problemOf(url, fetched, limits, data, size); !problem.empty()) {
        throw std::runtime_error(problem);
    }
}
