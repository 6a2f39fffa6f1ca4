#include "weather/readings_age.h"

#include <cstdio>
#include <ctime>

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "weather/station_readings.h"

std::int64_t readingsAge(const std::string& stamp, std::int64_t now) {
    // Unsigned arithmetic: a hostile stamp may not overflow into undefined behaviour.
    auto taken = static_cast<std::uint64_t>(stampSeconds(stamp));
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(now) - taken);
}

std::string ageText(std::int64_t seconds) {
    std::int64_t minutes = seconds / 60;
    if (minutes < 120) {
        return LangString(kWordMinutes, {std::to_string(minutes)});
    }
    std::int64_t hours = minutes / 60;
    if (hours < 48) {
        return LangString(kWordHours, {std::to_string(hours)});
    }
    return LangString(kWordDays, {std::to_string(hours / 24)});
}

std::string tooOldProblem(const std::string& stamp, std::int64_t now, int maxMinutes) {
    if (maxMinutes <= 0) {
        return {};
    }
    auto taken = static_cast<std::time_t>(stampSeconds(stamp));
    std::tm local{};
    if (stamp.empty() || taken < 0 || localtime_r(&taken, &local) == nullptr) {
        return LangString(kTextReadingsWithoutTime);
    }
    std::int64_t age = readingsAge(stamp, now);
    // In whole minutes, as the text tells it: never "60 minutes old" for a limit of 60.
    if (age / 60 <= maxMinutes) {
        return {};
    }
    char from[64];
    std::snprintf(from, sizeof from, "%02d.%02d.%04d %02d:%02d", local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900, local.tm_hour, local.tm_min);
    return LangString(kTextReadingsTooOld, {ageText(age), from});
}
