// How old the weather file's readings are, and the rule that keeps readings older than an image
// allows from being published.
#pragma once

#include <cstdint>
#include <string>

// Seconds from the weather file's time stamp to now (seconds since 1970); a hostile stamp wraps
// instead of overflowing, a stamp from the future gives a negative age.
std::int64_t readingsAge(const std::string& stamp, std::int64_t now);

// A duration as the user reads it, rounded down to the largest unit of which there are two
// ("75 minutes", "2 hours", "3 days", "45 seconds", "1 minute").
std::string AgeText(std::int64_t seconds);

// Why readings with this stamp may not be published now when the image allows maxMinutes; ""
// when they may. 0 (or less) is no limit; readings without a time are never fresh enough.
std::string tooOldProblem(const std::string& stamp, std::int64_t now, int maxMinutes);
