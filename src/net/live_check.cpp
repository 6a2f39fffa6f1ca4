#include "net/live_check.h"

#include <curl/curl.h>
#include <strings.h>

#include <atomic>
#include <cctype>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "base/clock.h"
#include "base/lang_string.h"
#include "base/string_ids.h"
#include "net/tls_trust.h"
#include "net/transfer_watch.h"

namespace {

// What arrived, kept up to one byte more than the image: enough to tell it differs.
struct Answer {
    std::string bytes;
    size_t keep = 0;
    bool cut = false;
};

size_t keepAnswer(char* data, size_t size, size_t count, void* target) {
    auto* answer = static_cast<Answer*>(target);
    size_t room = answer->keep - answer->bytes.size();
    if (size * count > room) {
        answer->bytes.append(data, room);
        answer->cut = true;
        return 0;  // ends the transfer
    }
    answer->bytes.append(data, size * count);
    return size * count;
}

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

// The address as texts show it: without a password written into it.
std::string shownAddress(const std::string& url) {
    size_t start = url.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    size_t at = url.find('@', start);
    size_t colon = url.find(':', start);
    if (at == std::string::npos || url.find('/', start) < at || colon > at) {
        return url;
    }
    return url.substr(0, colon) + url.substr(at);
}

// The host name of the address, for a certificate that names another.
std::string hostOf(const std::string& url) {
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), &curl_url_cleanup);
    char* host = nullptr;
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK ||
        curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK) {
        return url;
    }
    std::string name = host;
    curl_free(host);
    return name;
}

std::string withoutFinalDot(std::string text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ' ' || text.back() == '\n')) {
        text.pop_back();
    }
    return text;
}

// What the address served, or why nothing came.
struct Fetched {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string type;  // the Content-Type header, "" without one
    Answer answer;
    char errorText[CURL_ERROR_SIZE] = {};
    std::string certificateProblem;  // after a failed certificate check
    int waitedSeconds = 0;           // after a time limit ran out
};

// Fetches the address past every cache; std::runtime_error only when stop ended it.
void fetch(const std::string& address, const StopCheck& stop, const LiveCheckLimits& limits,
           Fetched& fetched) {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) {
        fetched.code = CURLE_OUT_OF_MEMORY;
        return;
    }
    CURL* handle = curl.get();
    std::string uncached = uncachedAddress(address);
    curl_slist* headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headerList(headers,
                                                                           &curl_slist_free_all);
    curl_easy_setopt(handle, CURLOPT_URL, uncached.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    // A site moved to https, or a folder's address without its slash, answers with a redirect.
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "Skyvane");
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, static_cast<long>(limits.connectSeconds));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, static_cast<long>(limits.totalSeconds));
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, fetched.errorText);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &keepAnswer);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &fetched.answer);
    TrustCertificates(handle);
    // A password in a plain http address goes only by digest, which never sends it itself.
    bool plain = strncasecmp(address.c_str(), "http://", 7) == 0;
    curl_easy_setopt(handle, CURLOPT_HTTPAUTH,
                     plain ? CURLAUTH_DIGEST : CURLAUTH_BASIC | CURLAUTH_DIGEST);
    // Only for the stop: the time limits are curl's own.
    CTransferWatch watch(stop, limits.totalSeconds + 1);
    watch.Restart();
    watch.Attach(handle);
    fetched.code = curl_easy_perform(handle);
    if (watch.GetEnding() == CTransferWatch::Ending::Stopped) {
        throw std::runtime_error(LangString(kTextExportStopped));
    }
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &fetched.status);
    const char* type = nullptr;
    curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &type);
    fetched.type = type != nullptr ? type : "";
    if (fetched.code == CURLE_PEER_FAILED_VERIFICATION) {
        fetched.certificateProblem = CertificateFailure(handle, fetched.errorText, hostOf(address));
    }
    if (fetched.code == CURLE_OPERATION_TIMEDOUT) {
        double connected = 0;
        curl_easy_getinfo(handle, CURLINFO_CONNECT_TIME, &connected);
        // Which wait ran out: for the connection, or for the answer.
        fetched.waitedSeconds = connected > 0 ? limits.totalSeconds : limits.connectSeconds;
    }
}

// Why what was fetched is not the image; "" when it is.
std::string problemOf(const std::string& url, const Fetched& fetched, const unsigned char* data,
                      size_t size) {
    std::string reason = withoutFinalDot(
        fetched.errorText[0] != '\0' ? fetched.errorText : curl_easy_strerror(fetched.code));
    switch (fetched.code) {
        case CURLE_OK:
        case CURLE_WRITE_ERROR:  // more than the image: it differs
            break;
        case CURLE_OPERATION_TIMEDOUT:
            return LangString(kTextWebServerNoAnswer, {url, std::to_string(fetched.waitedSeconds)});
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
            return LangString(kTextWebServerUnreachable, {url, reason});
        case CURLE_PEER_FAILED_VERIFICATION:
            return LangString(kTextCheckingFailed,
                              {url, UntrustedCertificateText(fetched.certificateProblem)});
        default:
            return LangString(kTextCheckingFailed, {url, reason + "."});
    }
    const Answer& answer = fetched.answer;
    if (fetched.status == 404 || fetched.status == 410) {
        return LangString(kTextPublishedImageMissing, {url, std::to_string(fetched.status)});
    }
    if (fetched.status != 200) {
        return LangString(kTextWebServerStatus, {url, std::to_string(fetched.status)});
    }
    if (!answer.cut && answer.bytes.size() == size &&
        std::memcmp(answer.bytes.data(), data, size) == 0) {
        return {};
    }
    if (answer.bytes.empty()) {
        return LangString(kTextServesNothing, {url});
    }
    if (!looksLikeImage(answer.bytes, fetched.type)) {
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
    std::string url = shownAddress(address);
    if (std::string problem = WebAddressProblem(url); !problem.empty()) {
        throw std::runtime_error(problem);
    }
    Fetched fetched;
    fetched.answer.keep = size + 1;
    fetch(address, stop, limits, fetched);
    if (std::string problem = problemOf(url, fetched, data, size); !problem.empty()) {
        throw std::runtime_error(problem);
    }
}
