// Server fields that may carry a port: "host" or "host:port".
#pragma once

#include <cstdint>
#include <string>

// Takes a valid ":port" off the end of host and returns it; fallback when there is none.
std::uint16_t SplitHostPort(std::string& host, std::uint16_t fallback);
