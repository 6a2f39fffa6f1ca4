#include "net/camera_fetch.h"

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "drawing/live_picture.h"
#include "net/http_get.h"
#include "net/tls_trust.h"

std::string ShownPictureSource(const std::string& source) {
    return IsWebAddress(source) ? AddressWithoutPassword(source, false) : source;
}

CameraReply FetchCameraPicture(const std::string& address, const std::string& caFile, int seconds,
                               const StopCheck& stop) {
    HttpGetRequest request;
    request.address = address;
    // Cameras ask for either; curl learns which from the first refusal.
    request.auth = CURLAUTH_BASIC | CURLAUTH_DIGEST;
    request.caFile = caFile;
    request.connectSeconds = seconds;
    request.totalSeconds = seconds;
    request.keepBytes = static_cast<size_t>(kMaxCameraBytes);
    request.fileTime = true;
    HttpGetReply reply = HttpGet(request, stop);
    switch (reply.code) {
        case CURLE_OK:
            break;
        case CURLE_OPERATION_TIMEDOUT:
            throw CCameraFetchError(CCameraFetchError::Kind::TimedOut, reply.error);
        case CURLE_PEER_FAILED_VERIFICATION:
            throw CCameraFetchError(CCameraFetchError::Kind::Failed,
                                    UntrustedCertificateText(reply.certificateProblem));
        case CURLE_WRITE_ERROR:
            if (reply.cut) {
                throw CCameraFetchError(
                    CCameraFetchError::Kind::Failed,
                    LangString(kTextCameraPictureTooLarge,
                               {std::to_string(kMaxCameraBytes / (1024 * 1024))}));
            }
            [[fallthrough]];
        default:
            throw CCameraFetchError(CCameraFetchError::Kind::Failed, reply.error);
    }
    if (reply.status == 401 || reply.status == 403) {
        throw CCameraFetchError(CCameraFetchError::Kind::Refused, std::to_string(reply.status));
    }
    if (reply.status < 200 || reply.status > 299) {
        throw CCameraFetchError(CCameraFetchError::Kind::Failed,
                                LangString(kTextCameraAnswered, {std::to_string(reply.status)}));
    }
    return {std::move(reply.body), std::move(reply.type), reply.modified};
}
