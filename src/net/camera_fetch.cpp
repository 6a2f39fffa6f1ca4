#include "net/camera_fetch.h"

#include <curl/curl.h>

#include <QUrl>
#include <memory>
#include <mutex>

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "drawing/live_picture.h"
#include "net/tls_trust.h"

namespace {

struct Transfer {
    std::string body;
    bool tooLarge = false;
    const StopCheck* stop = nullptr;
};

size_t appendBody(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    size_t bytes = size * count;
    if (static_cast<std::int64_t>(transfer->body.size() + bytes) > kMaxCameraBytes) {
        transfer->tooLarge = true;
        return 0;
    }
    transfer->body.append(data, bytes);
    return bytes;
}

int askStop(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    return *transfer->stop && (*transfer->stop)() ? 1 : 0;
}

struct CurlFree {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

}  // namespace

std::string AddressWithoutPassword(const std::string& address) {
    QUrl url(QString::fromStdString(address));
    if (!url.isValid() || (url.userInfo().isEmpty())) {
        return address;
    }
    return url.toString(QUrl::RemoveUserInfo).toStdString();
}

std::string ShownPictureSource(const std::string& source) {
    return IsWebAddress(source) ? AddressWithoutPassword(source) : source;
}

CameraReply FetchCameraPicture(const std::string& address, const std::string& caFile, int seconds,
                               const StopCheck& stop) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    std::unique_ptr<CURL, CurlFree> handle(curl_easy_init());
    CURL* curl = handle.get();
    if (curl == nullptr) {
        throw CCameraFetchError(CCameraFetchError::Kind::Failed, "libcurl could not start");
    }
    Transfer transfer;
    transfer.stop = &stop;
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    // Cameras ask for either; curl learns which from the first refusal.
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, seconds * 1000L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, seconds * 1000L);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxCameraBytes));
    curl_easy_setopt(curl, CURLOPT_FILETIME, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Skyvane/" SKYVANE_VERSION);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &askStop);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    // Checked as publishing checks its servers; a camera's own certificate stands in for them.
    TrustCertificates(curl, caFile);
    CURLcode result = curl_easy_perform(curl);
    std::string reason = errorText[0] != '\0' ? errorText : curl_easy_strerror(result);
    switch (result) {
        case CURLE_OK:
            break;
        case CURLE_ABORTED_BY_CALLBACK:
            throw std::runtime_error(LangString(kTextExportStopped));
        case CURLE_OPERATION_TIMEDOUT:
            throw CCameraFetchError(CCameraFetchError::Kind::TimedOut, reason);
        case CURLE_PEER_FAILED_VERIFICATION:
            throw CCameraFetchError(CCameraFetchError::Kind::Failed,
                                    UntrustedCertificateText(reason));
        case CURLE_FILESIZE_EXCEEDED:
        case CURLE_WRITE_ERROR:
            if (transfer.tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
                throw CCameraFetchError(
                    CCameraFetchError::Kind::Failed,
                    LangString(kTextCameraPictureTooLarge,
                               {std::to_string(kMaxCameraBytes / (1024 * 1024))}));
            }
            [[fallthrough]];
        default:
            throw CCameraFetchError(CCameraFetchError::Kind::Failed, reason);
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status == 401 || status == 403) {
        throw CCameraFetchError(CCameraFetchError::Kind::Refused, std::to_string(status));
    }
    if (status < 200 || status > 299) {
        throw CCameraFetchError(CCameraFetchError::Kind::Failed,
                                LangString(kTextCameraAnswered, {std::to_string(status)}));
    }
    CameraReply reply;
    reply.body = std::move(transfer.body);
    char* type = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type != nullptr) {
        reply.contentType = type;
    }
    curl_off_t modified = -1;
    if (curl_easy_getinfo(curl, CURLINFO_FILETIME_T, &modified) == CURLE_OK) {
        reply.modified = modified;
    }
    return reply;
}
