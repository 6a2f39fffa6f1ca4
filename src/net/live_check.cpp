#include "net/live_check.h"

#include <curl/curl.h>

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
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) {
        throw std::runtime_error(LangString(kTextCheckingFailed, {url, "out of memory"}));
    }
    CURL* handle = curl.get();
    std::string fetched = uncachedAddress(address);
    Answer answer;
    answer.keep = size + 1;
    char errorText[CURL_ERROR_SIZE] = {};
    curl_slist* headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headerList(headers,
                                                                           &curl_slist_free_all);
    curl_easy_setopt(handle, CURLOPT_URL, fetched.c_str());
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
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &keepAnswer);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &answer);
    TrustCertificates(handle);
    // Only for the stop: the time limits are curl's own.
    CTransferWatch watch(stop, limits.totalSeconds + 1);
    watch.Restart();
    watch.Attach(handle);

    CURLcode code = curl_easy_perform(handle);
    if (watch.GetEnding() == CTransferWatch::Ending::Stopped) {
        throw std::runtime_error(LangString(kTextExportStopped));
    }
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    const char* typeText = nullptr;
    curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &typeText);
    std::string type = typeText != nullptr ? typeText : "";
    std::string reason =
        withoutFinalDot(errorText[0] != '\0' ? errorText : curl_easy_strerror(code));
    switch (code) {
        case CURLE_OK:
        case CURLE_WRITE_ERROR:  // more than the image: it differs
            break;
        case CURLE_OPERATION_TIMEDOUT: {
            double connected = 0;
            curl_easy_getinfo(handle, CURLINFO_CONNECT_TIME, &connected);
            int seconds = connected > 0 ? limits.totalSeconds : limits.connectSeconds;
            throw std::runtime_error(
                LangString(kTextWebServerNoAnswer, {url, std::to_string(seconds)}));
        }
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
            throw std::runtime_error(LangString(kTextWebServerUnreachable, {url, reason}));
        case CURLE_PEER_FAILED_VERIFICATION:
            throw std::runtime_error(
                LangString(kTextCheckingFailed, {url, UntrustedCertificateText(CertificateFailure(
                                                          handle, errorText, hostOf(url)))}));
        default:
            throw std::runtime_error(LangString(kTextCheckingFailed, {url, reason + "."}));
    }
    if (status == 404 || status == 410) {
        throw std::runtime_error(
            LangString(kTextPublishedImageMissing, {url, std::to_string(status)}));
    }
    if (status != 200) {
        throw std::runtime_error(LangString(kTextWebServerStatus, {url, std::to_string(status)}));
    }
    if (!answer.cut && answer.bytes.size() == size &&
        std::memcmp(answer.bytes.data(), data, size) == 0) {
        return;
    }
    if (answer.bytes.empty()) {
        throw std::runtime_error(LangString(kTextServesNothing, {url}));
    }
    if (!looksLikeImage(answer.bytes, type)) {
        throw std::runtime_error(
            LangString(kTextServesOtherType, {url, type.substr(0, type.find(';'))}));
    }
    throw std::runtime_error(LangString(kTextServesOlderImage, {url}));
}
