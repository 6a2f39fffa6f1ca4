// A camera's snapshot fetched over http or https with libcurl, within a time limit.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "base/stop_check.h"

// The largest snapshot taken from a camera; more is refused, so it cannot exhaust memory.
constexpr std::int64_t kMaxCameraBytes = 64 * 1024 * 1024;

struct CameraReply {
    std::string body;
    // The reply's Content-Type, "" when it named none.
    std::string contentType;
    // Seconds since 1970 of the reply's Last-Modified; -1 when it gave none.
    std::int64_t modified = -1;
};

// Why a fetch failed; what() is the reason in the user's language, without the address.
class CCameraFetchError : public std::runtime_error {
  public:
    enum class Kind { Failed, TimedOut, Refused };
    CCameraFetchError(Kind kind, const std::string& reason)
        : std::runtime_error(reason), m_kind(kind) {}
    Kind GetKind() const { return m_kind; }

  private:
    Kind m_kind;
};

// Fetches the address (user name and password in it are sent by basic or digest
// authentication, whichever the camera asks for), ending after seconds whatever the camera
// does. https certificates are checked against the system's authorities, or against caFile when
// it is not empty. A reply other than 2xx raises CCameraFetchError; a stop asked for raises
// std::runtime_error with the stop text.
CameraReply FetchCameraPicture(const std::string& address, const std::string& caFile, int seconds,
                               const StopCheck& stop);

// A picture's file path, or its web address without a password, for showing it.
std::string ShownPictureSource(const std::string& source);
