#include "base/host_port.h"

#include <algorithm>
#include <cctype>

std::uint16_t SplitHostPort(std::string& host, std::uint16_t fallback) {
    auto colon = host.rfind(':');
    if (colon == std::string::npos || colon + 1 == host.size() || host.size() - colon > 6) {
        return fallback;
    }
    std::string digits = host.substr(colon + 1);
    if (!std::all_of(digits.begin(), digits.end(),
                     [](unsigned char c) { return std::isdigit(c) != 0; })) {
        return fallback;
    }
    unsigned long port = std::stoul(digits);
    if (port == 0 || port > 65535) {
        return fallback;
    }
    host.erase(colon);
    return static_cast<std::uint16_t>(port);
}
