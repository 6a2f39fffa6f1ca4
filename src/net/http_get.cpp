#include "net/http_get.h"

#include <memory>
#include <mutex>
#include <stdexcept>

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "net/tls_trust.h"
#include "net/transfer_watch.h"

namespace {

struct Received {
    std::string* body;
    size_t keep;
    bool* cut;
};

size_t keepBody(char* data, size_t size, size_t count, void* target) {
    auto* received = static_cast<Received*>(target);
    size_t bytes = size * count;
    size_t room = received->keep - received->body->size();
    if (bytes > room) {
        received->body->append(data, room);
        *received->cut = true;
        return 0;  // ends the transfer
    }
    received->body->append(data, bytes);
    return bytes;
}

}  // namespace

std::string HostOf(const std::string& address) {
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), &curl_url_cleanup);
    char* host = nullptr;
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK ||
        curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK) {
        return address;
    }
    std::string name = host;
    curl_free(host);
    return name;
}

std::string AddressWithoutPassword(const std::string& address, bool keepUser) {
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), &curl_url_cleanup);
    char* user = nullptr;
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK ||
        curl_url_get(parsed.get(), CURLUPART_USER, &user, 0) != CURLUE_OK) {
        return address;
    }
    curl_free(user);
    char* shown = nullptr;
    if (!keepUser) {
        curl_url_set(parsed.get(), CURLUPART_USER, nullptr, 0);
    }
    curl_url_set(parsed.get(), CURLUPART_PASSWORD, nullptr, 0);
    if (curl_url_get(parsed.get(), CURLUPART_URL, &shown, 0) != CURLUE_OK) {
        return address;
    }
    std::string text = shown;
    curl_free(shown);
    return text;
}

HttpGetReply HttpGet(const HttpGetRequest& request, const StopCheck& stop) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    HttpGetReply reply;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) {
        reply.code = CURLE_OUT_OF_MEMORY;
        reply.error = curl_easy_strerror(reply.code);
        return reply;
    }
    CURL* handle = curl.get();
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(nullptr,
                                                                        &curl_slist_free_all);
    for (const std::string& header : request.headers) {
        headers.reset(curl_slist_append(headers.release(), header.c_str()));
    }
    char errorText[CURL_ERROR_SIZE] = {};
    Received received{&reply.body, request.keepBytes, &reply.cut};
    curl_easy_setopt(handle, CURLOPT_URL, request.address.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    // A site moved to https, or a folder's address without its slash, answers with a redirect.
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle, CURLOPT_HTTPAUTH, request.auth);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "Skyvane/" SKYVANE_VERSION);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, static_cast<long>(request.connectSeconds));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, static_cast<long>(request.totalSeconds));
    curl_easy_setopt(handle, CURLOPT_FILETIME, request.fileTime ? 1L : 0L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &keepBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &received);
    TrustCertificates(handle, request.caFile);
    // Only for the stop: the time limits are curl's own.
    CTransferWatch watch(stop, request.totalSeconds + 1);
    watch.Restart();
    watch.Attach(handle);
    reply.code = curl_easy_perform(handle);
    if (watch.GetEnding() == CTransferWatch::Ending::Stopped) {
        throw std::runtime_error(LangString(kTextExportStopped));
    }
    reply.error = errorText[0] != '\0' ? errorText : curl_easy_strerror(reply.code);
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &reply.status);
    const char* type = nullptr;
    curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &type);
    reply.type = type != nullptr ? type : "";
    curl_off_t modified = -1;
    if (curl_easy_getinfo(handle, CURLINFO_FILETIME_T, &modified) == CURLE_OK) {
        reply.modified = modified;
    }
    double connectTime = 0;
    curl_easy_getinfo(handle, CURLINFO_CONNECT_TIME, &connectTime);
    reply.connected = connectTime > 0;
    if (reply.code == CURLE_PEER_FAILED_VERIFICATION) {
        reply.certificateProblem = CertificateFailure(handle, errorText, HostOf(request.address));
    }
    return reply;
}
